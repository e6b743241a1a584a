// The picture of how the runs were cut: the steady quantities and the slips
// over time, each sweep and each piece dropped marked.

#include "prepare/SegmentationPicture.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/TextFile.h"
#include "plot/AxisRange.h"
#include "plot/Formatted.h"
#include "plot/Picture.h"

namespace grip {

namespace {

using plot::gnuplotString;
using plot::literalText;
using plot::number;

struct KindStyle {
  PieceKind kind;
  const char* colour;
  const char* name;  ///< in the key
};

constexpr KindStyle kKinds[] = {
    {PieceKind::sweep, "#2ca02c", "sweep"},
    {PieceKind::leftOut, "#17becf", "sweep left out of the target"},
    {PieceKind::warmUp, "#7f7f7f", "warm-up or hold"},
    {PieceKind::heldAtZero, "#bcbd22", "slip held at zero"},
    {PieceKind::transition, "#ff7f0e", "transition"},
    {PieceKind::combined, "#9467bd", "combined slip"},
    {PieceKind::lifted, "#d62728", "tyre lifted"},
};

const KindStyle& styleOf(PieceKind kind) {
  for (const KindStyle& style : kKinds)
    if (style.kind == kind) return style;
  return kKinds[0];
}

struct Panel {
  Quantity quantity;
  const char* label;
};

constexpr Panel kPanels[] = {{Quantity::Fz, "load [N]"},
                             {Quantity::SlipAngle, "slip angle [deg]"},
                             {Quantity::SlipRatio, "slip ratio [-]"},
                             {Quantity::Camber, "camber [deg]"}};

/// A picture this wide needs no more points per run; a longer run is
/// thinned to every n-th sample (its last one kept).
constexpr std::size_t kPointsPerRun = 4000;

/// Pixels of a run's block: its title and the sweeps' names above the
/// panels, the time axis below them.
constexpr int kHeader = 64, kFooter = 48, kLeft = 90, kRight = 24, kGap = 8;

std::atomic<unsigned long> drawnCounter{0};

/// The least and the largest finite value of a channel; {0} for none.
std::vector<double> finiteSpan(const Channel* channel) {
  double low = 0.0, high = 0.0;
  bool any = false;
  if (channel != nullptr)
    for (double v : channel->values) {
      if (!std::isfinite(v)) continue;
      low = any ? std::min(low, v) : v, high = any ? std::max(high, v) : v, any = true;
    }
  return {low, high};
}

}  // namespace

std::string segmentationScript(const std::vector<RigRun>& runs, const PrepareSummary& summary,
                               const plot::Canvas& canvas) {
  std::string text;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const RigRun& run = runs[r];
    const Channel* time = run.find(Quantity::Time);
    const std::size_t n = run.samples();
    const std::size_t step = n / kPointsPerRun + 1;
    appendFormatted(text, "$run%zu << EOD\n", r + 1);
    const auto row = [&](std::size_t i) {
      text += number(time ? time->values[i] : static_cast<double>(i + 1));
      for (const Panel& panel : kPanels) {
        const Channel* channel = run.find(panel.quantity);  // a channel the run lacks is taken as 0, as the cutting does
        text += ' ';
        text += number(channel ? channel->values[i] : 0.0);
      }
      text += '\n';
    };
    for (std::size_t i = 0; i < n; i += step) row(i);
    if (n > 0 && (n - 1) % step != 0) row(n - 1);
    text += "EOD\n";
  }
  text += plot::canvasCommands(canvas);
  const double width = canvas.width, height = canvas.height;
  const double blockHeight = height / static_cast<double>(std::max<std::size_t>(runs.size(), 1));
  const double panelHeight = (blockHeight - kHeader - kFooter) / 4.0;  // each with a gap beneath it
  const auto screenY = [&](double pixels) { return number(1.0 - pixels / height); };
  text += "set multiplot\nset grid\nset tics out\nset ytics nomirror\n";
  text += "set lmargin at screen " + number(kLeft / width) + "\nset rmargin at screen " +
          number(1.0 - kRight / width) + "\n";
  int object = 0;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const RigRun& run = runs[r];
    const Channel* time = run.find(Quantity::Time);
    const std::size_t n = run.samples();
    if (n == 0) continue;
    const auto x = [&](std::size_t i) { return time ? time->values[i] : static_cast<double>(i + 1); };
    text += formatted("# run %zu\nunset object\nunset label\n", r + 1);
    text += "set xrange [" + number(x(0)) + ":" + number(x(n - 1) > x(0) ? x(n - 1) : x(0) + 1.0) + "]\n";
    std::vector<bool> shown(std::size(kKinds), false);
    std::string names;
    int sweepsNamed = 0;
    for (const RunPiece& piece : summary.pieces) {
      if (piece.file != run.fileName || piece.begin >= n || piece.end <= piece.begin) continue;
      const KindStyle& style = styleOf(piece.kind);
      shown[static_cast<std::size_t>(&style - kKinds)] = true;
      // A band reaches to the next piece's first sample, so that pieces abut.
      const double from = x(piece.begin), to = x(std::min(piece.end, n - 1));
      text += formatted("set object %d rect from first %s, graph 0 to first %s, graph 1 behind fc rgb \"%s\" "
                        "fs solid 0.3 noborder  # %s\n",
                        ++object, number(from).c_str(), number(to).c_str(), style.colour,
                        piece.sweep.empty() ? style.name : piece.sweep.c_str());
      if (piece.sweep.empty()) continue;
      // Names of neighbouring sweeps take turns on three lines.
      const int line = sweepsNamed++ % 3;
      names += "set label " + gnuplotString(literalText(piece.sweep)) + " at first " + number((from + to) / 2.0) +
               ", graph " + (line == 0 ? "1.05" : line == 1 ? "1.15" : "1.25") + " center font \",8\"\n";
    }
    const double top = static_cast<double>(r) * blockHeight;
    text += "set label " +
            gnuplotString(literalText(run.fileName) + formatted(": %zu samples, written in %s axes", n,
                                                                std::string(signConventionName(run.sourceConvention)).c_str())) +
            " at screen " + number(kLeft / width) + ", screen " + screenY(top + 18) + " left font \",11\"\n";
    text += names;
    // The key: a swatch for every kind of piece the run holds.
    std::string key;
    for (std::size_t k = 0; k < std::size(kKinds); ++k)
      if (shown[k])
        key += formatted(", \\\n  NaN with boxes fs solid 0.3 noborder fc rgb \"%s\" title \"%s\"", kKinds[k].colour,
                         kKinds[k].name);
    for (std::size_t p = 0; p < std::size(kPanels); ++p) {
      const Panel& panel = kPanels[p];
      const double panelTop = top + kHeader + static_cast<double>(p) * panelHeight;
      text += "set tmargin at screen " + screenY(panelTop) + "\nset bmargin at screen " +
              screenY(panelTop + panelHeight - kGap) + "\n";
      const Channel* channel = run.find(panel.quantity);
      text += "set ylabel " + gnuplotString(std::string(panel.label) + (channel ? "" : " (no channel)")) + "\n";
      // The range is given, never guessed: gnuplot would warn on the
      // console of a constant channel (a camber held at zero all along).
      text += "set yrange " + plot::AxisRange::around(finiteSpan(channel)).text() + "\n";
      if (p + 1 < std::size(kPanels)) {
        text += "set format x \"\"\nunset xlabel\n";
      } else {
        text += "set format x \"%g\"\nset xlabel " + gnuplotString(time ? "time [s]" : "sample") + "\n";
      }
      text += p == 0 && !key.empty() ? "set key at screen " + number(1.0 - kRight / width) + ", screen " +
                                           screenY(top + 6) + " right top horizontal font \",9\" samplen 1.5\n"
                                     : "unset key\n";
      text += formatted("plot $run%zu using 1:%zu with lines lw 1.5 lc rgb \"%s\" notitle", r + 1, p + 2,
                        plot::kCurveColours[p == 0 ? 0 : p == 1 ? 1 : p == 2 ? 3 : 5]);
      text += p == 0 ? key : "";
      text += "\n";
      if (p == 0) text += "unset label\n";  // the names stand over the top panel only
    }
  }
  text += plot::closingCommands();
  return text;
}

std::string drawSegmentation(const std::vector<RigRun>& runs, const PrepareSummary& summary,
                             const std::string& folder, std::string& picture) {
  plot::Canvas canvas;
  canvas.type = plot::PictureType::png;
  canvas.width = kSegmentationWidth;
  canvas.height = kSegmentationRunHeight * static_cast<int>(std::max<std::size_t>(runs.size(), 1));
  // gnuplot draws into a file of this process's own, read back here and
  // written with the other prepared files, whole or not at all.
  const std::filesystem::path drawn =
      std::filesystem::path(folder) /
      formatted(".%s.%ld.%lu.drawn", kSegmentationPicture, static_cast<long>(::getpid()), drawnCounter++);
  canvas.output = drawn.string();
  const std::string fault = plot::drawPicture(
      [&](const plot::Canvas& c) { return segmentationScript(runs, summary, c); }, canvas);
  if (!fault.empty()) {
    // gripplot's message, told of the picture as the folder will know it.
    std::string told = fault;
    if (told.starts_with("gripplot: ")) told.erase(0, 10);
    while (!told.empty() && told.back() == '\n') told.pop_back();
    for (std::size_t at; (at = told.find(canvas.output)) != std::string::npos;)
      told.replace(at, canvas.output.size(), kSegmentationPicture);
    return told;
  }
  if (!readFileBytes(canvas.output, picture)) picture.clear();
  std::error_code ignored;
  std::filesystem::remove(drawn, ignored);
  return picture.empty() ? formatted("%s could not be read back", canvas.output.c_str()) : std::string();
}

}  // namespace grip
