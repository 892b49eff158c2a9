// elprops-cli plot end to end: the real program writes each format, and the
// files are read back with Qt's own readers and poppler's tools: the PNG at
// the size asked, the SVG as XML with its labels as text and one curve per
// value, the PDF with its title and units as text.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"
#include "tests/cli/csv_table.h"

namespace elprops::cli {
namespace {

using testing::CliRun;
using testing::RunCli;

constexpr const char* kRussian = "ru_RU.UTF-8";
constexpr const char* kPlain = "C.UTF-8";

// A fresh folder for the pictures of one test, removed afterwards.
class PlotFolder {
 public:
  PlotFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/elprops-plot-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~PlotFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  PlotFolder(const PlotFolder&) = delete;
  PlotFolder& operator=(const PlotFolder&) = delete;

  [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }
  // The names in the folder, sorted.
  [[nodiscard]] std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The standard output of a shell command, or nothing when it could not run
// or failed.
std::optional<std::string> ToolOutput(const std::string& command) {
  std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  if (pclose(pipe) != 0) return std::nullopt;
  return out;
}

bool HaveTool(const std::string& name) { return ToolOutput("command -v " + name).has_value(); }

std::vector<std::string> PlotArgs(std::vector<std::string> args, const std::string& output) {
  args.insert(args.begin(), "plot");
  args.push_back("-o");
  args.push_back(output);
  return args;
}

// What an SVG written by the program holds: its texts, and its paths and
// lines with the stroke of the group they are in.
struct SvgContent {
  bool wellFormed = false;
  std::string error;
  std::vector<std::string> texts;
  struct Stroke {
    std::string colour;
    bool dashed = false;
    std::vector<std::pair<double, double>> points;
  };
  std::vector<Stroke> paths;  // curves
  std::vector<Stroke> lines;  // straight lines: grid, ticks, boundaries
};

std::vector<std::pair<double, double>> Points(const QString& text) {
  // "M1,2 L3,4 ..." or "1,2 3,4 ".
  std::vector<std::pair<double, double>> points;
  QString cleaned = text;
  cleaned.replace(QLatin1Char('M'), QLatin1Char(' ')).replace(QLatin1Char('L'), QLatin1Char(' '));
  for (const QString& pair : cleaned.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QStringList xy = pair.split(QLatin1Char(','));
    if (xy.size() == 2) points.emplace_back(xy[0].toDouble(), xy[1].toDouble());
  }
  return points;
}

SvgContent ReadSvg(const std::string& path) {
  SvgContent content;
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    content.error = "cannot open";
    return content;
  }
  QXmlStreamReader xml(&file);
  std::vector<std::pair<std::string, bool>> strokes{{"", false}};  // per open element
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      std::pair<std::string, bool> stroke = strokes.back();
      const QXmlStreamAttributes a = xml.attributes();
      if (a.hasAttribute(QStringLiteral("stroke")))
        stroke.first = a.value(QStringLiteral("stroke")).toString().toStdString();
      if (xml.name() == QStringLiteral("g")) stroke.second = a.hasAttribute(QStringLiteral("stroke-dasharray"));
      strokes.push_back(stroke);
      if (xml.name() == QStringLiteral("text")) {
        content.texts.push_back(xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString());
        strokes.pop_back();
      } else if (xml.name() == QStringLiteral("path")) {
        content.paths.push_back({stroke.first, stroke.second, Points(a.value(QStringLiteral("d")).toString())});
      } else if (xml.name() == QStringLiteral("polyline")) {
        content.lines.push_back({stroke.first, stroke.second, Points(a.value(QStringLiteral("points")).toString())});
      }
    } else if (xml.isEndElement()) {
      strokes.pop_back();
    }
  }
  content.wellFormed = !xml.hasError();
  if (xml.hasError()) content.error = xml.errorString().toStdString();
  return content;
}

// Qt writes a text in runs of one script each ("Хлорид кальция " and
// "CaCl₂"), one after the other; a label is found in their sequence.
bool HasText(const SvgContent& svg, const std::string& text) {
  std::string all;
  for (const std::string& t : svg.texts) all += t;
  return Contains(all, text);
}

// --- PNG -----------------------------------------------------------------------

struct PngRow {
  const char* name;
  std::vector<std::string> extra;
  int width, height;
};

void PrintTo(const PngRow& row, std::ostream* os) { *os << row.name; }

class PlotPng : public ::testing::TestWithParam<PngRow> {};

TEST_P(PlotPng, HasTheSizeAsked) {
  PlotFolder folder;
  const std::string out = folder.File("v.png");
  std::vector<std::string> args{"-s", "CaCl2", "-t", "1:100:1", "-c", "0.1", "-c", "0.2"};
  args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());
  const CliRun run = RunCli(PlotArgs(args, out), "", kRussian);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const QImage image(QString::fromStdString(out));
  ASSERT_FALSE(image.isNull()) << "not a readable PNG";
  EXPECT_EQ(image.width(), GetParam().width);
  EXPECT_EQ(image.height(), GetParam().height);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"v.png"}) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlotPng,
                         ::testing::Values(PngRow{"Default", {"-p", "viscosity"}, 1200, 800},
                                           PngRow{"Asked", {"-p", "density", "--size", "640x480"}, 640, 480},
                                           PngRow{"AllPanelsPortrait", {"-p", "all", "--size", "800x1100"}, 800, 1100}),
                         [](const ::testing::TestParamInfo<PngRow>& row) { return std::string(row.param.name); });

// --- SVG -----------------------------------------------------------------------

TEST(PlotSvg, ParsesWithRussianLabelsAsTextAndOneCurvePerValue) {
  PlotFolder folder;
  const std::string out = folder.File("v.svg");
  const CliRun run =
      RunCli(PlotArgs({"-s", "CaCl2", "-p", "viscosity", "-t", "1:100:1", "-c", "0,1", "-c", "0.2", "-c", "0.3"}, out),
             "", kRussian);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const SvgContent svg = ReadSvg(out);
  ASSERT_TRUE(svg.wellFormed) << svg.error;
  EXPECT_TRUE(HasText(svg, "Хлорид кальция CaCl₂"));
  EXPECT_TRUE(HasText(svg, "Температура, °C"));
  EXPECT_TRUE(HasText(svg, "Вязкость, Па·с"));
  for (const char* legend : {"w = 0,1", "w = 0,2", "w = 0,3"}) EXPECT_TRUE(HasText(svg, legend)) << legend;
  // The ticks of the viscosity carry the locale's decimal comma.
  EXPECT_TRUE(std::any_of(svg.texts.begin(), svg.texts.end(),
                          [](const std::string& t) { return t.starts_with("0,00") && !Contains(t, "."); }));
  // One unbroken curve per value, each in a colour of its own.
  std::set<std::string> colours;
  for (const SvgContent::Stroke& path : svg.paths) {
    EXPECT_EQ(path.points.size(), 100u);
    colours.insert(path.colour);
  }
  EXPECT_EQ(svg.paths.size(), 3u);
  EXPECT_EQ(colours.size(), 3u);
}

TEST(PlotSvg, EnglishWithADecimalPointUnderThePlainLocale) {
  PlotFolder folder;
  const std::string out = folder.File("d.svg");
  const CliRun run = RunCli(
      PlotArgs({"-s", "NaCl", "-p", "density", "-c", "0.01:0.25:0.01", "-t", "20", "-t", "80"}, out), "", kPlain);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const SvgContent svg = ReadSvg(out);
  ASSERT_TRUE(svg.wellFormed) << svg.error;
  EXPECT_TRUE(HasText(svg, "Sodium chloride NaCl"));
  EXPECT_TRUE(HasText(svg, "Mass fraction w, kg/kg"));
  EXPECT_TRUE(HasText(svg, "Density, kg/m³"));
  EXPECT_TRUE(HasText(svg, "t = 20 °C"));
  EXPECT_TRUE(HasText(svg, "t = 80 °C"));
  EXPECT_TRUE(HasText(svg, "0.1") || HasText(svg, "0.10")) << "concentration ticks with a point";
  EXPECT_EQ(svg.paths.size(), 2u);
}

TEST(PlotSvg, LanguageOptionKeepsTheLocaleSeparator) {
  PlotFolder folder;
  const std::string out = folder.File("d.svg");
  const CliRun run =
      RunCli(PlotArgs({"-s", "NaCl", "-s", "KCl", "-p", "density", "-t", "1:100:1", "-c", "0,1", "--lang", "en"}, out),
             "", kRussian);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const SvgContent svg = ReadSvg(out);
  ASSERT_TRUE(svg.wellFormed) << svg.error;
  EXPECT_TRUE(HasText(svg, "Solutions at w = 0,1"));
  EXPECT_TRUE(HasText(svg, "Sodium chloride NaCl"));
  EXPECT_TRUE(HasText(svg, "Potassium chloride KCl"));
  EXPECT_TRUE(HasText(svg, "Temperature, °C"));
  EXPECT_EQ(svg.paths.size(), 2u) << "one curve per substance";
}

// Calcium chloride at 0.55 is above saturation up to 29.16 degrees: the
// curve starts after a gap of 29 points, at the solid boundary of the input limit.
TEST(PlotSvg, SaturationCrossedHasTheBoundaryAndAGap) {
  PlotFolder folder;
  const std::string out = folder.File("s.svg");
  const CliRun run =
      RunCli(PlotArgs({"-s", "CaCl2", "-p", "density", "-t", "1:100:1", "-c", "0.5", "-c", "0.55"}, out), "", kRussian);
  EXPECT_EQ(run.exitStatus, 1) << "drawn with points left out";
  EXPECT_TRUE(Contains(run.err, "29 of 200 points left out: 29 above the window's input limit of calcium chloride"))
      << run.err;
  const SvgContent svg = ReadSvg(out);
  ASSERT_TRUE(svg.wellFormed) << svg.error;
  EXPECT_TRUE(HasText(svg, "предел ввода при w = 0,55"));
  EXPECT_TRUE(
      HasText(svg, "Пропущено точек: 29 из 200 (выше предела ввода хлорида кальция (как в окне программы): 29)"));
  // Both curves are partly beyond the literature solubility (0.5000 at
  // 30 °C, 0.5614 at 40 °C) and drawn in a solid and a dashed stretch each,
  // which meet at a point: joined, there is one line per curve.
  std::vector<SvgContent::Stroke> curves;
  for (const SvgContent::Stroke& path : svg.paths) {
    if (!curves.empty() && curves.back().colour == path.colour && !path.points.empty() &&
        curves.back().points.back() == path.points.front()) {
      curves.back().points.insert(curves.back().points.end(), path.points.begin() + 1, path.points.end());
    } else {
      curves.push_back(path);
    }
  }
  EXPECT_EQ(svg.paths.size(), 4u);
  ASSERT_EQ(curves.size(), 2u);
  const SvgContent::Stroke& full = curves[0];
  const SvgContent::Stroke& cut = curves[1];
  EXPECT_EQ(full.points.size(), 100u);
  EXPECT_EQ(cut.points.size(), 71u);
  std::vector<SvgContent::Stroke> boundaries;
  for (const SvgContent::Stroke& line : svg.lines) {
    const bool vertical = !line.points.empty() && line.points.front().first == line.points.back().first;
    if (!line.dashed && vertical && line.colour == cut.colour) boundaries.push_back(line);
  }
  ASSERT_EQ(boundaries.size(), 1u) << "the input limit, a solid line";
  const double boundaryX = boundaries[0].points.front().first;
  EXPECT_EQ(boundaries[0].colour, cut.colour) << "drawn in the colour of its curve";
  // Between the 29th and the 30th point of the full curve, and the cut
  // curve begins right after it.
  EXPECT_GT(boundaryX, full.points[28].first);
  EXPECT_LT(boundaryX, full.points[29].first);
  EXPECT_DOUBLE_EQ(cut.points.front().first, full.points[29].first);
}

// Sodium chloride at 20 °C dissolves to 0.2641: beyond it the curve goes on
// dashed, and the solubility is a labelled line. Every point is drawn.
TEST(PlotSvg, BeyondTheSolubilityDashedWithTheLineLabelled) {
  PlotFolder folder;
  const std::string out = folder.File("nacl.svg");
  const CliRun run = RunCli(
      PlotArgs({"-s", "NaCl", "-p", "density", "-t", "20", "-c", "0.2:0.35:0.01", "--lang", "en"}, out), "", kPlain);
  EXPECT_EQ(run.exitStatus, 0) << "beyond the solubility is drawn, not left out: " << run.err;
  const SvgContent svg = ReadSvg(out);
  ASSERT_TRUE(svg.wellFormed) << svg.error;
  EXPECT_TRUE(HasText(svg, "solubility (lit.) at t = 20 °C"));
  EXPECT_TRUE(HasText(svg, "Above the solubility in the literature (short dashes): 9 of 16 points"));
  ASSERT_EQ(svg.paths.size(), 2u) << "a solid stretch and a dashed one";
  EXPECT_FALSE(svg.paths[0].dashed);
  EXPECT_TRUE(svg.paths[1].dashed);
  EXPECT_EQ(svg.paths[0].colour, svg.paths[1].colour);
  // 0.20 to 0.26 solid (7 points), 0.26 to 0.35 dashed (10 points, the
  // segment across the limit included): they meet at 0.26.
  EXPECT_EQ(svg.paths[0].points.size(), 7u);
  EXPECT_EQ(svg.paths[1].points.size(), 10u);
  ASSERT_FALSE(svg.paths[0].points.empty());
  ASSERT_FALSE(svg.paths[1].points.empty());
  EXPECT_EQ(svg.paths[0].points.back(), svg.paths[1].points.front());
  std::vector<SvgContent::Stroke> marked;
  for (const SvgContent::Stroke& line : svg.lines) {
    if (line.dashed && line.colour == svg.paths[0].colour) marked.push_back(line);
  }
  ASSERT_EQ(marked.size(), 1u) << "the solubility line";
  const double x = marked[0].points.front().first;
  // Between the points at 0.26 and 0.27.
  EXPECT_GT(x, svg.paths[1].points[0].first);
  EXPECT_LT(x, svg.paths[1].points[1].first);
}

// --unit on plot: the axis and the legend in molality.
TEST(PlotSvg, MolalityOnTheAxisAndInTheLegend) {
  PlotFolder folder;
  const std::string out = folder.File("m.svg");
  const CliRun run = RunCli(
      PlotArgs({"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "1", "-c", "2", "--unit", "molality"}, out), "",
      kRussian);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const SvgContent svg = ReadSvg(out);
  ASSERT_TRUE(svg.wellFormed) << svg.error;
  EXPECT_TRUE(HasText(svg, "m = 1 моль/кг"));
  EXPECT_TRUE(HasText(svg, "m = 2 моль/кг"));
}

// --- PDF -----------------------------------------------------------------------

// Page width and height in points from pdfinfo.
std::optional<std::pair<double, double>> PageSize(const std::string& pdf) {
  const std::optional<std::string> info = ToolOutput("pdfinfo '" + pdf + "'");
  if (!info) return std::nullopt;
  const std::size_t at = info->find("Page size:");
  if (at == std::string::npos) return std::nullopt;
  double w = 0.0;
  double h = 0.0;
  if (std::sscanf(info->c_str() + at, "Page size: %lf x %lf", &w, &h) != 2) return std::nullopt;
  return std::make_pair(w, h);
}

constexpr double kPointsPerMillimetre = 72.0 / 25.4;

TEST(PlotPdf, AllPanelsWithTitleAndUnitsAsText) {
  if (!HaveTool("pdftotext") || !HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  PlotFolder folder;
  const std::string out = folder.File("all.pdf");
  const CliRun run =
      RunCli(PlotArgs({"-s", "CaCl2", "-p", "all", "-t", "1:100:1", "-c", "0.1", "-c", "0.2", "-c", "0.3"}, out), "",
             kRussian);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::optional<std::string> text = ToolOutput("pdftotext -enc UTF-8 '" + out + "' -");
  ASSERT_TRUE(text) << "pdftotext could not read the file";
  for (const char* part :
       {"Хлорид кальция CaCl₂", "Температура, °C", "Плотность, кг/м³", "Вязкость, Па·с", "Поверхностное натяжение, Н/м",
        "Теплоёмкость, Дж/(кг·К)", "Теплопроводность, Вт/(м·К)", "w = 0,1", "w = 0,3"}) {
    EXPECT_TRUE(Contains(*text, part)) << part << " not in\n" << *text;
  }
  const auto page = PageSize(out);
  ASSERT_TRUE(page);
  EXPECT_NEAR(page->first, 210.0 * kPointsPerMillimetre, 1.0) << "A5 landscape";
  EXPECT_NEAR(page->second, 148.0 * kPointsPerMillimetre, 1.0);
}

TEST(PlotPdf, PageOfTheSizeAskedInMillimetres) {
  if (!HaveTool("pdfinfo") || !HaveTool("pdftotext")) GTEST_SKIP() << "poppler-utils are not installed";
  PlotFolder folder;
  const std::string out = folder.File("d.pdf");
  const CliRun run =
      RunCli(PlotArgs({"-s", "H2O", "-p", "heat_capacity", "-t", "1:199:1", "--size", "120x90", "--lang", "en"}, out),
             "", kPlain);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const auto page = PageSize(out);
  ASSERT_TRUE(page);
  EXPECT_NEAR(page->first, 120.0 * kPointsPerMillimetre, 1.0);
  EXPECT_NEAR(page->second, 90.0 * kPointsPerMillimetre, 1.0);
  const std::optional<std::string> text = ToolOutput("pdftotext -enc UTF-8 '" + out + "' -");
  ASSERT_TRUE(text);
  EXPECT_TRUE(Contains(*text, "Water H₂O"));
  EXPECT_TRUE(Contains(*text, "Heat capacity, J/(kg·K)"));
}

// --- For a report: standard output, pixel density, the plotted points -------------

struct StdoutRow {
  const char* format;
  std::string header;  // how every file of the format begins
};

void PrintTo(const StdoutRow& row, std::ostream* os) { *os << row.format; }

class PlotToStandardOutput : public ::testing::TestWithParam<StdoutRow> {};

TEST_P(PlotToStandardOutput, WritesTheWholePictureThere) {
  const CliRun run = RunCli(
      {"plot", "-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1", "-o", "-", "--format", GetParam().format},
      "", kPlain);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, GetParam().header.size()), GetParam().header);
  if (std::string(GetParam().format) == "png") {
    EXPECT_FALSE(QImage::fromData(QByteArray(run.out.data(), static_cast<qsizetype>(run.out.size()))).isNull());
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, PlotToStandardOutput,
                         ::testing::Values(StdoutRow{"png", std::string("\x89PNG\r\n\x1a\n", 8)},
                                           StdoutRow{"svg", "<?xml"}, StdoutRow{"pdf", "%PDF-"}),
                         [](const ::testing::TestParamInfo<StdoutRow>& row) { return std::string(row.param.format); });

// An SVG of the default 1200 pixels is 210 mm wide, the width of an A4 page.
TEST(PlotSvg, WidthAndHeightInMillimetres) {
  const CliRun run = RunCli(
      {"plot", "-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1", "-o", "-", "--format", "svg"}, "", kPlain);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::size_t at = run.out.find("width=\"");
  ASSERT_NE(at, std::string::npos);
  const double width = std::strtod(run.out.c_str() + at + 7, nullptr);
  EXPECT_NEAR(width, 1200.0 / 145.0 * 25.4, 0.01);
  EXPECT_TRUE(Contains(run.out.substr(at, 20), "mm\"")) << run.out.substr(at, 20);
}

struct DpiRow {
  const char* name;
  std::vector<std::string> args;
  int width, height;  // the size asked times dpi/96, rounded
  int dotsPerMetre;   // dpi / 0.0254, rounded
};

void PrintTo(const DpiRow& row, std::ostream* os) { *os << row.name; }

class PlotDpi : public ::testing::TestWithParam<DpiRow> {};

TEST_P(PlotDpi, ScalesThePixelsAndSaysSo) {
  PlotFolder folder;
  const std::string out = folder.File("d.png");
  std::vector<std::string> args{"-s", "NaCl", "-p", "all", "-t", "1:100:1", "-c", "0.1"};
  args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
  const CliRun run = RunCli(PlotArgs(args, out), "", kPlain);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const QImage image(QString::fromStdString(out));
  EXPECT_EQ(image.width(), GetParam().width);
  EXPECT_EQ(image.height(), GetParam().height);
  EXPECT_EQ(image.dotsPerMeterX(), GetParam().dotsPerMetre);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlotDpi,
                         ::testing::Values(DpiRow{"Default", {"--size", "600x400"}, 600, 400, 3780},
                                           DpiRow{"Double", {"--size", "600x400", "--dpi", "192"}, 1200, 800, 7559},
                                           DpiRow{"Print", {"--size", "480x320", "--dpi", "300"}, 1500, 1000, 11811}),
                         [](const ::testing::TestParamInfo<DpiRow>& row) { return std::string(row.param.name); });

// The points of sodium chloride at w = 0.1 and 20 °C read back, with the
// reference values Laliberté (2009) publishes for it: 1070.75 kg/m³,
// 1.1905 mPa·s and 3728 J/(kg·K), each in the unit asked.
TEST(PlotData, TheCsvHoldsThePlottedPointsAndTheReference) {
  PlotFolder folder;
  const std::string out = folder.File("p.svg");
  const std::string data = folder.File("p.csv");
  const CliRun run = RunCli(PlotArgs({"-s", "NaCl", "-p", "all", "-t", "20", "-c", "0.05:0.1:0.05", "--reference",
                                      "--viscosity-unit", "mPa·s", "--heat-capacity-unit", "kJ/(kg·K)", "--data", data},
                                     out),
                            "", kRussian);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const testing::CsvTable table(Slurp(data));
  ASSERT_TRUE(table.Error().empty()) << table.Error();
  ASSERT_EQ(table.RowCount(), 10u) << "five panels of two points";
  const std::map<std::string, std::pair<std::string, double>> published{
      {"density", {"kg/m³", 1070.75}}, {"viscosity", {"mPa·s", 1.1905}}, {"heat_capacity", {"kJ/(kg·K)", 3.728}}};
  std::size_t checked = 0;
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    const auto property = table.Get(row, "property");
    const auto it = published.find(property.value_or(""));
    if (table.Get(row, "concentration") != "0.1" || it == published.end()) continue;
    ++checked;
    EXPECT_EQ(table.Get(row, "temperature_C"), "20");
    EXPECT_EQ(table.Get(row, "unit"), it->second.first);
    EXPECT_EQ(table.Get(row, "point"), "drawn");
    EXPECT_EQ(table.Get(row, "reference_source"), "Laliberté 2009");
    EXPECT_EQ(table.Get(row, "reference_span"), "inside");
    const double reference = std::strtod(table.Get(row, "reference").value_or("").c_str(), nullptr);
    EXPECT_NEAR(reference, it->second.second, it->second.second * 1e-4) << *property;
  }
  EXPECT_EQ(checked, 3u);
  // Water, which no reference model covers: the reference's cells empty.
  const CliRun water = RunCli(
      PlotArgs({"-s", "H2O", "-p", "density", "-t", "1:2:1", "--reference", "--data", "-", "--format", "svg"}, out), "",
      kPlain);
  ASSERT_EQ(water.exitStatus, 0) << water.err;
  const testing::CsvTable rows(water.out);
  ASSERT_EQ(rows.RowCount(), 2u) << water.out;
  for (std::size_t row = 0; row < 2; ++row) {
    EXPECT_EQ(rows.FieldCount(row), 11u) << water.out;
    EXPECT_EQ(rows.Get(row, "reference_source"), "");
  }
}

// A derived quantity's point at sodium chloride, w = 0.1 and 20 °C, in the
// unit its panel shows, against the value worked out from the published
// digits ρ = 1070.638 kg/m³, μ = 0.001208059 Pa·s, c_p = 3747.392 J/(kg·K),
// λ = 0.5867352 W/(m·K).
TEST(PlotData, DerivedQuantitiesMatchTheWorkedExample) {
  const double rho = 1070.638, mu = 0.001208059, cp = 3747.392, lambda = 0.5867352;
  const struct {
    const char* name;
    const char* unit;
    double value;
  } rows[] = {{"kinematic_viscosity", "mm²/s", mu / rho * 1e6},
              {"thermal_diffusivity", "mm²/s", lambda / (rho * cp) * 1e6},
              {"prandtl", "", mu * cp / lambda},
              {"specific_volume", "dm³/kg", 1e3 / rho},
              {"volumetric_heat_capacity", "MJ/(m³·K)", rho * cp * 1e-6}};
  PlotFolder folder;
  for (const auto& row : rows) {
    const CliRun run = RunCli(PlotArgs({"-s", "NaCl", "-p", row.name, "-t", "20", "-c", "0.05:0.1:0.05", "--data", "-"},
                                       folder.File("d.svg")),
                              "", kPlain);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const testing::CsvTable table(run.out);
    ASSERT_EQ(table.RowCount(), 2u) << run.out;
    EXPECT_EQ(table.Get(1, "concentration"), "0.1");
    EXPECT_EQ(table.Get(1, "unit"), row.unit) << row.name;
    const double value = std::strtod(table.Get(1, "value").value_or("").c_str(), nullptr);
    EXPECT_NEAR(value, row.value, row.value * 2e-6) << row.name;
  }
}

// --- Output and usage ----------------------------------------------------------

TEST(PlotOutput, AnUnwritablePlaceIsAUsageErrorWithTheReason) {
  PlotFolder folder;
  const std::string blocker = folder.File("file");
  std::ofstream(blocker) << "not a folder";
  const CliRun run =
      RunCli(PlotArgs({"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1"}, blocker + "/v.png"), "", kPlain);
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_TRUE(Contains(run.err, "cannot write " + blocker + "/v.png: ")) << run.err;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"file"});
}

TEST(PlotOutput, AnExistingFileIsReplacedOnlyByAWholePicture) {
  PlotFolder folder;
  const std::string out = folder.File("v.png");
  std::ofstream(out) << "earlier";
  // Refused before anything is drawn: the earlier file stays.
  CliRun run = RunCli(PlotArgs({"-s", "NaCl", "-p", "pressure", "-t", "1:100:1", "-c", "0.1"}, out), "", kPlain);
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(Slurp(out), "earlier");
  run = RunCli(PlotArgs({"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1"}, out), "", kPlain);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_FALSE(QImage(QString::fromStdString(out)).isNull());
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"v.png"});
}

struct UsageRow {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

void PrintTo(const UsageRow& row, std::ostream* os) { *os << row.name; }

class PlotUsage : public ::testing::TestWithParam<UsageRow> {};

TEST_P(PlotUsage, ExitsWithTwoAndTheReason) {
  PlotFolder folder;
  const std::string out = folder.File("v.png");
  const CliRun run = RunCli(PlotArgs(GetParam().args, out), "", kPlain);
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_TRUE(Contains(run.err, GetParam().message)) << run.err;
  EXPECT_TRUE(folder.Names().empty()) << "no file for a refused plot";
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, PlotUsage,
    ::testing::Values(UsageRow{"UnknownProperty",
                               {"-s", "NaCl", "-p", "colour", "-t", "1:100:1", "-c", "0.1"},
                               "unknown property \"colour\""},
                      UsageRow{"NoRange", {"-s", "NaCl", "-p", "density", "-t", "20", "-c", "0.1"}, "no range"},
                      UsageRow{"BothRanges",
                               {"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1:0.2:0.05"},
                               "--x temperature or --x concentration"},
                      UsageRow{"BadSize",
                               {"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1", "--size", "big"},
                               "--size \"big\""},
                      UsageRow{"DpiOutOfRange",
                               {"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1", "--dpi", "5"},
                               "--dpi 5"},
                      UsageRow{"UnknownViscosityUnit",
                               {"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1", "--viscosity-unit", "P"},
                               "--viscosity-unit \"P\": give Pa·s or mPa·s"},
                      UsageRow{"BadLanguage",
                               {"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1", "--lang", "fr"},
                               "--lang \"fr\""}),
    [](const ::testing::TestParamInfo<UsageRow>& row) { return std::string(row.param.name); });

TEST(PlotUsage, UnknownExtensionIsRefused) {
  PlotFolder folder;
  const CliRun run =
      RunCli(PlotArgs({"-s", "NaCl", "-p", "density", "-t", "1:100:1", "-c", "0.1"}, folder.File("v.gif")), "", kPlain);
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_TRUE(Contains(run.err, ".svg, .png or .pdf")) << run.err;
}

TEST(PlotHelp, ShowsTwoExamples) {
  const CliRun run = RunCli({"plot", "--help"}, "", kPlain);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(Contains(run.out, "elprops-cli plot -s CaCl2 -p viscosity -t 1:100:1 -c 0.1 -c 0.2 -c 0.3 -o"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "-p all")) << run.out;
  EXPECT_TRUE(Contains(run.out, "--size")) << run.out;
}

}  // namespace
}  // namespace elprops::cli
