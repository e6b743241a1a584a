// The contact-patch picture: two maps of the grid side by side.

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "plot/Formatted.h"
#include "plot/PlotScript.h"

namespace grip::plot {

namespace {

/// At most this many force arrows along either side of the patch, so that
/// they stay readable on a fine grid.
constexpr int kArrowsAcross = 24;

}  // namespace

std::string patchScript(const ContactPatch& patch, const std::string& fileName, const Canvas& canvas) {
  const PatchTotals totals = totalsOf(patch);
  double xLow = patch.points.front().x, xHigh = xLow, yLow = patch.points.front().y, yHigh = yLow;
  double largestLoad = 0.0, largestUse = 0.0, largestForce = 0.0;
  for (const PatchPoint& p : patch.points) {
    xLow = std::min(xLow, p.x);
    xHigh = std::max(xHigh, p.x);
    yLow = std::min(yLow, p.y);
    yHigh = std::max(yHigh, p.y);
    largestLoad = std::max(largestLoad, p.pz);
    largestUse = std::max(largestUse, utilisedFriction(p).value_or(0.0));
  }
  const int stride = std::max(
      1, static_cast<int>(std::ceil(std::max(patch.rows, patch.columns) / static_cast<double>(kArrowsAcross))));
  auto arrowed = [&](std::size_t k) {
    const int i = static_cast<int>(k) % patch.columns;
    const int j = static_cast<int>(k) / patch.columns;
    return i % stride == 0 && j % stride == 0;
  };
  for (std::size_t k = 0; k < patch.points.size(); ++k) {
    if (arrowed(k)) largestForce = std::max(largestForce, std::hypot(patch.points[k].fx, patch.points[k].fy));
  }

  std::string text;
  text += "$loaded << EOD\n";
  for (const PatchPoint& p : patch.points) {
    if (const auto use = utilisedFriction(p)) {
      text += number(p.x) + " " + number(p.y) + " " + number(p.pz) + " " + number(*use) + "\n";
    }
  }
  text += "EOD\n$unloaded << EOD\n";
  for (const PatchPoint& p : patch.points) {
    if (!utilisedFriction(p)) text += number(p.x) + " " + number(p.y) + "\n";
  }
  text += "EOD\n$arrows << EOD\n";
  // The longest arrow spans 90 % of the spacing between arrows.
  const double arrowScale = largestForce > 0.0 ? 0.9 * stride * std::min(patch.dx, patch.dy) / largestForce : 0.0;
  for (std::size_t k = 0; k < patch.points.size(); ++k) {
    const PatchPoint& p = patch.points[k];
    if (!arrowed(k) || (p.fx == 0.0 && p.fy == 0.0)) continue;
    const double ax = p.fx * arrowScale, ay = p.fy * arrowScale;
    text += number(p.x - ax / 2) + " " + number(p.y - ay / 2) + " " + number(ax) + " " + number(ay) + "\n";
  }
  text += "EOD\n";

  text += canvasCommands(canvas);
  const std::string name = std::filesystem::path(fileName).filename().string();
  std::string heading =
      "Contact patch of " + literalText(name) + formatted(": %d × %d points", patch.columns, patch.rows);
  if (patch.evaluations > 1) heading += formatted(", the last of %d evaluations", patch.evaluations);
  const std::string sums = formatted("ΣFx = %.1f N,  ΣFy = %.1f N,  Σp_z = %.1f N,  loaded area %.0f mm^2", totals.Fx,
                                     totals.Fy, totals.Fz, totals.area);
  text += "set multiplot layout 1,2 title " + gnuplotLines({heading, sums}) + " font \",12\"\n";

  // Room around the patch for the half cells and the travel arrow.
  const double halfX = patch.dx / 2, halfY = patch.dy / 2;
  const double spanX = xHigh - xLow + patch.dx, spanY = yHigh - yLow + patch.dy;
  const double left = xLow - halfX - 0.04 * spanX, right = xHigh + halfX + 0.04 * spanX;
  const double bottom = yLow - halfY - 0.04 * spanY, top = yHigh + halfY + 0.22 * spanY;
  text += "set size ratio -1\n";
  text += "set xrange [" + number(left) + ":" + number(right) + "]\n";
  text += "set yrange [" + number(bottom) + ":" + number(top) + "]\n";
  text += "set xlabel \"x, along the length [mm]\"\nset ylabel \"y, across the width [mm]\"\n";
  text += "set tics out nomirror\nset key below horizontal\nset grid front lc rgb \"#cccccc\" dt 3\n";
  text += "set style fill solid 1.0 noborder\n";
  if (patch.travel != 0) {
    const double middle = (xLow + xHigh) / 2, y = yHigh + halfY + 0.12 * spanY;
    const double reach = patch.travel * 0.3 * spanX;
    text += "set arrow 1 from " + number(middle - reach) + "," + number(y) + " to " + number(middle + reach) + "," +
            number(y) + " head filled size screen 0.012,25 lw 2 lc rgb \"#333333\"\n";
    text += "set label 1 \"direction of travel\" at " + number(middle) + "," + number(y + 0.05 * spanY) +
            " center tc rgb \"#333333\"\n";
  }
  const std::string cell = formatted("(%s):(%s)", number(halfX).c_str(), number(halfY).c_str());
  const bool anyLoaded = totals.loaded > 0;
  const bool anyUnloaded = totals.loaded < static_cast<int>(patch.points.size());
  // gnuplot warns about an empty data block, so each layer is drawn only when it has points.
  auto layers = [&](const std::string& colourColumn, bool withArrows) {
    std::vector<std::string> parts;
    if (anyLoaded) {
      parts.push_back("$loaded using 1:2:" + cell + ":" + colourColumn + " with boxxyerror fc palette notitle");
    }
    if (anyUnloaded) {
      parts.push_back("$unloaded using 1:2:" + cell +
                      " with boxxyerror fc rgb \"#e4e4e4\" title \"no load (p_z = 0)\"");
    }
    if (withArrows && largestForce > 0.0) {
      parts.push_back(
          "$arrows using 1:2:3:4 with vectors head filled size screen 0.006,25 lw 1.2 lc rgb \"#08306b\" title " +
          gnuplotString(formatted("point force (longest %.3g N)", largestForce)));
    }
    std::string command = "plot ";
    for (std::size_t k = 0; k < parts.size(); ++k) command += (k ? ", \\\n  " : "") + parts[k];
    return command + "\n";
  };

  text += "set title \"load per point p_z and point forces\"\n";
  text += "set cblabel \"p_z [N]\"\nset cbrange [0:" + number(largestLoad > 0.0 ? largestLoad : 1.0) + "]\n";
  text += "set palette defined (0 \"#fff5eb\", 0.3 \"#fdae6b\", 0.65 \"#e6550d\", 1 \"#7f2704\")\n";
  text += layers("3", true);

  text += "set title \"utilised friction |f|/p_z\"\n";
  text += "set cblabel \"|f|/p_z [-]\"\nset cbrange [0:" + number(largestUse > 0.0 ? largestUse : 1.0) + "]\n";
  text += "set palette defined (0 \"#2166ac\", 0.5 \"#f7f7f7\", 0.8 \"#f4a582\", 1 \"#b2182b\")\n";
  text += layers("4", false);
  text += closingCommands();
  return text;
}

}  // namespace grip::plot
