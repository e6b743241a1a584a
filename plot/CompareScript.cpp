// The measured-against-model picture: one column of panels per file, a
// panel per force with the error of every point beneath it.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>

#include "plot/AxisRange.h"
#include "plot/Formatted.h"
#include "plot/PlotScript.h"

namespace grip::plot {

namespace {

/// Places of the forces in a line: measured from 5, modelled from 8.
constexpr int kMeasured = 5, kModel = 8;
constexpr const char* kForceNames[3] = {"Fx", "Fy", "Mz"};
constexpr const char* kForceUnits[3] = {"N", "N", "N·mm"};

/// Heights and widths of the parts of the picture [px].
constexpr double kTitleBand = 64, kColumnTitleBand = 44, kKeyRow = 20, kBottomBand = 52;
constexpr double kPanelGap = 6, kForceGap = 14, kLeftMargin = 92, kRightMargin = 22;

std::string screen(double fraction) { return "at screen " + number(fraction); }

struct Margins {
  double left, right, top, bottom;  ///< [px] from the left and from the top
};

std::string marginCommands(const Margins& m, double width, double height) {
  return "set lmargin " + screen(m.left / width) + "\nset rmargin " + screen(m.right / width) + "\nset tmargin " +
         screen(1.0 - m.top / height) + "\nset bmargin " + screen(1.0 - m.bottom / height) + "\n";
}

}  // namespace

std::vector<int> comparedForces(const std::vector<ComparedFile>& files) {
  std::vector<int> forces;
  for (int f = 0; f < 3; ++f) {
    bool nonZero = false;
    for (const ComparedFile& file : files) {
      for (const ResultRow& row : file.table->rows) {
        nonZero = nonZero || row.value[kMeasured + f] != 0.0 || row.value[kModel + f] != 0.0;
      }
    }
    if (nonZero) forces.push_back(f);
  }
  if (forces.empty()) forces.push_back(1);  // all zero: show Fy, the force most fits are after
  return forces;
}

std::string compareScript(const std::vector<ComparedFile>& files, std::optional<double> targetValue,
                          const Canvas& canvas) {
  const std::vector<int> forces = comparedForces(files);
  const double width = canvas.width, height = canvas.height;
  std::string text;

  // One data block per curve of every file, each sorted along the axis:
  // x, measured Fx Fy Mz, model Fx Fy Mz.
  for (std::size_t c = 0; c < files.size(); ++c) {
    const ComparedFile& file = files[c];
    const auto& rows = file.table->rows;
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    auto xOf = [&](int k) { return file.axis.x ? rows[k].value[file.axis.x->column] : static_cast<double>(k + 1); };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return xOf(a) < xOf(b); });
    for (std::size_t g = 0; g < file.axis.curveNames.size(); ++g) {
      text += formatted("$file%zucurve%zu << EOD\n", c, g);
      for (int k : order) {
        if (file.axis.curve[k] != static_cast<int>(g)) continue;
        text += number(xOf(k));
        for (int i = 0; i < 6; ++i) {
          text += ' ';
          text += number(rows[k].value[kMeasured + i]);
        }
        text += "\n";
      }
      text += "EOD\n";
    }
  }

  text += canvasCommands(canvas);
  std::string heading = "Measured and modelled forces";
  if (targetValue) heading += formatted(",  target value of the fit %.6g %%", *targetValue);
  text += "set multiplot title " + gnuplotString(heading) + " font \",13\"\n";
  text +=
      "set tics out nomirror\nset grid\nset style textbox opaque noborder\nset xzeroaxis lt 1 lc rgb \"#888888\"\nset "
      "key horizontal maxcols 3\n";

  const int rows = static_cast<int>(forces.size());
  const double columnWidth = width / files.size();
  for (std::size_t c = 0; c < files.size(); ++c) {
    const ComparedFile& file = files[c];
    const std::size_t curves = file.axis.curveNames.size();
    const bool single = curves == 1;
    const int keyEntries = single ? 2 : 2 + static_cast<int>(curves);
    const double keyBand = kKeyRow * ((keyEntries + 2) / 3);
    const double top = kTitleBand + kColumnTitleBand + keyBand;
    const double available = height - top - kBottomBand - (rows - 1) * kForceGap - rows * kPanelGap;
    const double valueHeight = std::max(20.0, available * 2.0 / 3.0 / rows);
    const double errorHeight = std::max(10.0, available / 3.0 / rows);
    const double left = c * columnWidth + kLeftMargin, right = (c + 1) * columnWidth - kRightMargin;

    std::vector<double> xs;
    for (std::size_t k = 0; k < file.table->rows.size(); ++k) {
      xs.push_back(file.axis.x ? file.table->rows[k].value[file.axis.x->column] : static_cast<double>(k + 1));
    }
    const AxisRange xRange = AxisRange::around(xs);
    text += "set xrange " + xRange.text() + "\n";
    const std::string xLabel = file.axis.x ? file.axis.x->axisLabel : "point number";
    const std::string name = std::filesystem::path(file.table->fileName).filename().string();

    double at = top;
    for (int r = 0; r < rows; ++r) {
      const int f = forces[r];
      std::vector<double> values, errors;
      for (const ResultRow& row : file.table->rows) {
        values.push_back(row.value[kMeasured + f]);
        values.push_back(row.value[kModel + f]);
        errors.push_back(row.value[kModel + f] - row.value[kMeasured + f]);
      }

      // Forces, measured and modelled.
      text += marginCommands({left, right, at, at + valueHeight}, width, height);
      text += "set format x \"\"\nunset xlabel\n";
      text += "set ylabel " + gnuplotString(std::string(kForceNames[f]) + " [" + kForceUnits[f] + "]") + "\n";
      text += "set yrange " + AxisRange::around(values).text() + "\n";
      if (r == 0) {
        std::string context = "{/*0.85 over " + literalText(file.axis.x ? file.axis.x->name : "point number");
        if (!file.axis.context.empty()) {
          std::string fixed;
          for (const std::string& part : file.axis.context) fixed += (fixed.empty() ? "" : ", ") + part;
          context += " at " + literalText(fixed);
        }
        context += "}";
        text += "set title " + gnuplotLines({literalText(name), context}) + " offset 0," + number(keyBand / 16) + "\n";
        text += "set key at screen " + number((left + right) / 2 / width) + "," +
                number(1.0 - (kTitleBand + kColumnTitleBand - 4) / height) + " center top\n";
      } else {
        text += "unset title\nunset key\n";
      }
      std::string plot = "plot ";
      auto add = [&](const std::string& part) { plot += (plot.size() > 5 ? ", \\\n  " : "") + part; };
      if (!single && r == 0) {
        add("NaN with points pt 6 ps 0.9 lc rgb \"#333333\" title \"measured\"");
        add("NaN with lines lw 2 lc rgb \"#333333\" title \"model\"");
      }
      for (std::size_t g = 0; g < curves; ++g) {
        const std::string block = formatted("$file%zucurve%zu", c, g);
        const char* colour = kCurveColours[g % 6];
        const std::string measuredTitle = single ? "title \"measured\"" : "notitle";
        const std::string modelTitle = single ? "title \"model\"" : "title " + gnuplotString(file.axis.curveNames[g]);
        add(block + formatted(" using 1:%d with points pt 6 ps 0.9 lc rgb \"%s\" ", 2 + f, colour) + measuredTitle);
        add(block + formatted(" using 1:%d with lines lw 2 lc rgb \"%s\" ", 5 + f, single ? kCurveColours[1] : colour) +
            modelTitle);
      }
      text += plot + "\n";
      at += valueHeight + kPanelGap;

      // Error of every point.
      double squares = 0.0;
      for (double e : errors) squares += e * e;
      const double rms = errors.empty() ? 0.0 : std::sqrt(squares / errors.size());
      text += marginCommands({left, right, at, at + errorHeight}, width, height);
      text += "unset title\nunset key\n";
      if (r + 1 == rows) {
        text += "set format x \"% h\"\nset xlabel " + gnuplotString(xLabel) + "\n";
      }
      text += "set ylabel " + gnuplotString(std::string("error [") + kForceUnits[f] + "]") + "\n";
      AxisRange errorRange = AxisRange::aboutZero(errors);
      const double tic = errorRange.roundTic();
      errorRange.high *= 1.45;  // headroom for the label over the bars
      text += "set yrange " + errorRange.text() + "\n";
      text += "set ytics (" + number(-tic) + ", 0, " + number(tic) + ")\n";
      text += "set label 1 " + gnuplotString(formatted("model − measured, rms %.3g %s", rms, kForceUnits[f])) +
              " at graph 0.99,0.84 right front boxed font \",9\"\n";
      plot = "plot ";
      for (std::size_t g = 0; g < curves; ++g) {
        const std::string block = formatted("$file%zucurve%zu", c, g);
        const char* colour = single ? "#555555" : kCurveColours[g % 6];
        // The bars of the curves stand side by side where their points share an x.
        const std::string x = "($1+" + number((g - (curves - 1) / 2.0) * 0.008 * (xRange.high - xRange.low)) + ")";
        const std::string error = formatted("($%d-$%d)", 5 + f, 2 + f);
        add(block + " using " + x + ":" + error + " with impulses lw 2 lc rgb \"" + colour + "\" notitle");
        add(block + " using " + x + ":" + error + " with points pt 7 ps 0.45 lc rgb \"" + colour + "\" notitle");
      }
      text += plot + "\nunset label 1\nset ytics autofreq\n";
      at += errorHeight + kForceGap;
    }
  }
  text += closingCommands();
  return text;
}

}  // namespace grip::plot
