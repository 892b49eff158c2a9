// Drawing a figure of property curves into an SVG, PNG or PDF file with
// Qt's painter. A library of its own: only the command line links it.
#pragma once

#include <string>

#include "report/plot_model.h"

namespace elprops::platform {

// Draws `figure` into the file at `path`: `width` and `height` are pixels
// for SVG and PNG and millimetres for PDF. The picture is drawn in memory
// and written as files::OutputFile writes: "-" is standard output, a FIFO or
// a device is written in place, a symbolic link is followed, and a regular
// file is replaced only by the whole picture (the older one stays when a
// write fails). Needs a QGuiApplication.
// Returns an empty text on success, otherwise the reason it failed.
std::string WritePlot(const report::PlotFigure& figure, const std::string& path, report::PlotFileFormat format,
                      int width, int height);

}  // namespace elprops::platform
