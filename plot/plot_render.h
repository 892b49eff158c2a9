// Drawing a figure of property curves into an SVG, PNG or PDF file with
// Qt's painter. A library of its own: only the command line links it.
#pragma once

#include <string>

#include "report/plot_model.h"

namespace elprops::platform {

// An SVG's pixels to the inch: its width and height are given in
// millimetres, 1200 pixels making 210 mm.
inline constexpr int kSvgDotsPerInch = 145;

// The pixels of a PNG laid out `units` 96-dpi pixels wide (or high) and
// drawn at `dpi` pixels to the inch.
int PngPixels(int units, int dpi);

// Draws `figure` into the file at `path`: `width` and `height` are pixels
// for SVG and PNG and millimetres for PDF; a PNG is drawn at `dpi` pixels
// to the inch, its pixels `width` and `height` times dpi/96. The picture is drawn in memory
// and written as files::OutputFile writes: "-" is standard output, a FIFO or
// a device is written in place, a symbolic link is followed, and a regular
// file is replaced only by the whole picture (the older one stays when a
// write fails). Needs a QGuiApplication.
// Returns an empty text on success, otherwise the reason it failed.
std::string WritePlot(const report::PlotFigure& figure, const std::string& path, report::PlotFileFormat format,
                      int width, int height, int dpi = 96);

}  // namespace elprops::platform
