// The range-result picture: forces over the swept operating value.

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "plot/AxisRange.h"
#include "plot/Formatted.h"
#include "plot/PlotScript.h"

namespace grip::plot {

namespace {

constexpr int kFx = 3, kFy = 4, kMz = 6;

/// Up to this many points each one is marked on its curve.
constexpr std::size_t kMarkedPoints = 25;

const char* forceName(int column) { return column == kFx ? "Fx" : column == kFy ? "Fy" : "Mz"; }
const char* forceColour(int column) { return kForceColours[column == kFx ? 0 : column == kFy ? 1 : 2]; }

std::string joined(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

}  // namespace

std::vector<int> sweepForces(const ResultTable& table, const SweepAxis& axis) {
  std::vector<int> forces;
  const std::string swept = axis.x ? axis.x->name : "";
  for (int column : {kFx, kFy, kMz}) {
    bool driven = swept.empty() || swept == "Fz";
    if (swept == "slip") driven = column == kFx;
    if (swept == "slip angle" || swept == "camber") driven = column != kFx;
    const bool nonZero = std::any_of(table.rows.begin(), table.rows.end(),
                                     [&](const ResultRow& row) { return row.value[column] != 0.0; });
    if (driven || nonZero) forces.push_back(column);
  }
  return forces;
}

std::string sweepScript(const ResultTable& table, const SweepAxis& axis, const Canvas& canvas) {
  const std::vector<int> forces = sweepForces(table, axis);
  std::vector<double> xs, left, right;
  std::string text = "$sweep << EOD\n";
  for (std::size_t k = 0; k < table.rows.size(); ++k) {
    const auto& v = table.rows[k].value;
    const double x = axis.x ? v[axis.x->column] : static_cast<double>(k + 1);
    xs.push_back(x);
    text += number(x);
    for (int c = 0; c < 7; ++c) {
      text += ' ';
      text += number(v[c]);
    }
    text += "\n";
    for (int column : forces) (column == kMz ? right : left).push_back(v[column]);
  }
  text += "EOD\n";
  text += canvasCommands(canvas);

  std::vector<std::string> names, leftNames;
  for (int column : forces) {
    names.push_back(forceName(column));
    if (column != kMz) leftNames.push_back(forceName(column));
  }
  const std::string name = std::filesystem::path(table.fileName).filename().string();
  const std::string over = axis.x ? axis.x->name : "point number";
  text += "set title " +
          gnuplotLines({literalText(name) + ": " + listed(names) + " over " + over,
                        "{/*0.85 " + literalText(joined(axis.context, ",  ")) + "}"}) +
          " font \",12\"\n";
  text += "set xlabel " + gnuplotString(axis.x ? axis.x->axisLabel : "point number") + "\n";
  text += "set xrange " + AxisRange::around(xs).text() + "\n";
  text += "set grid\nset key below horizontal\nset bmargin 6\nset tics out\nset ytics nomirror\n";
  if (!leftNames.empty()) {
    text += "set ylabel " + gnuplotString(joined(leftNames, ", ") + " [N]") + "\n";
    text += "set yrange " + AxisRange::around(left).text() + "\n";
  }
  if (!right.empty()) {
    text += "set y2label \"Mz [N·mm]\"\nset y2tics\nset y2range " + AxisRange::around(right).text() + "\n";
    if (leftNames.empty()) text += "unset ytics\n";
  }
  const std::string style = table.rows.size() <= kMarkedPoints ? "linespoints pt 7 ps 0.7" : "lines";
  text += "plot ";
  for (std::size_t k = 0; k < forces.size(); ++k) {
    const int column = forces[k];
    text += k ? ", \\\n  " : "";
    text += formatted("$sweep using 1:%d", column + 2) + (column == kMz ? " axes x1y2" : "") + " with " + style +
            " lw 2" + (column == kMz ? " dt 2" : "") + " lc rgb \"" + forceColour(column) + "\" title " +
            gnuplotString(column == kMz && !leftNames.empty() ? "Mz (right axis)" : forceName(column));
  }
  text += '\n';
  text += closingCommands();
  return text;
}

}  // namespace grip::plot
