// The report of a fit as an HTML page with inline SVG figures, written by
// hand so that it needs nothing but a browser to be read.

#include "fit/HtmlReport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "core/FormatText.h"
#include "fit/SweepCurve.h"

namespace grip {

namespace {

constexpr const char* kMeasuredColour = "#1f77b4";
constexpr const char* kModelColour = "#d62728";
constexpr const char* kResidualColour = "#555555";

constexpr std::array<const char*, 3> kChannelNames = {"Fx", "Fy", "Mz"};
constexpr std::array<const char*, 3> kChannelUnits = {"N", "N", "N*mm"};

/// Text for HTML: the five special characters as entities, bytes that are
/// not UTF-8 (a Latin-1 file name) as U+FFFD, so that the page stays valid.
std::string escaped(std::string_view text) {
  std::string out;
  for (std::size_t k = 0; k < text.size();) {
    const auto c = static_cast<unsigned char>(text[k]);
    if (c < 0x80) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += static_cast<char>(c);
      }
      ++k;
      continue;
    }
    // The length of a well-formed sequence, by its first byte (no overlong
    // forms, no surrogates, nothing beyond U+10FFFF).
    const std::size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    bool valid = length > 0 && k + length <= text.size();
    for (std::size_t j = 1; valid && j < length; ++j) valid = (static_cast<unsigned char>(text[k + j]) & 0xC0) == 0x80;
    if (valid && length >= 3) {
      const auto second = static_cast<unsigned char>(text[k + 1]);
      valid = !(c == 0xE0 && second < 0xA0) && !(c == 0xED && second > 0x9F) && !(c == 0xF0 && second < 0x90) &&
              !(c == 0xF4 && second > 0x8F);
    }
    if (valid) {
      out.append(text.substr(k, length));
      k += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++k;
    }
  }
  return out;
}

/// An input's mean for reading: a sum of symmetric sweep values leaves a
/// rounding residue (1e-17 deg) that would read as an offset.
double snapped(double value) { return std::fabs(value) < 1e-12 ? 0.0 : value; }

/// A number for reading: 6 significant digits, "-" when not finite.
std::string shown(double value, const char* format = "%.6g") {
  return std::isfinite(value) ? formatted(format, value) : std::string("-");
}

/// All the digits of a number, for a data-value attribute: reads back as the
/// same double.
std::string exact(double value) { return std::isfinite(value) ? formatted("%.17g", value) : std::string("null"); }

// ---------------------------------------------------------------- figures

struct Range {
  double low = 0.0, high = 1.0;
};

/// The range of the finite values, widened by 5 % on each side (by 1 when
/// all are equal).
Range rangeOf(std::initializer_list<std::span<const double>> series) {
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (const auto values : series)
    for (const double v : values)
      if (std::isfinite(v)) {
        low = std::min(low, v);
        high = std::max(high, v);
      }
  if (!(low <= high)) return {};
  if (high - low <= 1e-12 * std::max(std::fabs(low), std::fabs(high))) {
    const double pad = low == 0.0 ? 1.0 : std::fabs(low) * 0.1;
    return {low - pad, high + pad};
  }
  const double pad = 0.05 * (high - low);
  return {low - pad, high + pad};
}

/// One plot area in the SVG's pixels and the data ranges it shows.
struct Panel {
  double left, top, width, height;
  Range x, y;
  double px(double v) const { return left + (v - x.low) / (x.high - x.low) * width; }
  double py(double v) const { return top + height - (v - y.low) / (y.high - y.low) * height; }
};

/// Tick positions: steps of 1, 2 or 5 times a power of ten, about five per axis.
std::vector<double> ticks(const Range& range) {
  const double raw = (range.high - range.low) / 5.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double step = raw / power < 1.5 ? power : raw / power < 3.5 ? 2.0 * power : raw / power < 7.5 ? 5.0 * power : 10.0 * power;
  std::vector<double> out;
  for (double k = std::ceil(range.low / step); k * step <= range.high && out.size() < 20; k += 1.0)
    out.push_back(std::fabs(k) < 0.5 ? 0.0 : k * step);
  return out;
}

void axes(std::string& svg, const Panel& p, const std::string& xLabel, const std::string& yLabel) {
  appendFormatted(svg, "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#fff\" stroke=\"#333\"/>\n",
                  p.left, p.top, p.width, p.height);
  for (const double t : ticks(p.x)) {
    const double x = p.px(t);
    appendFormatted(svg, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#ddd\"/>", x, p.top, x,
                    p.top + p.height);
    appendFormatted(svg, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%s</text>\n", x, p.top + p.height + 14,
                    formatted("%g", t).c_str());
  }
  for (const double t : ticks(p.y)) {
    const double y = p.py(t);
    appendFormatted(svg, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#ddd\"/>", p.left, y,
                    p.left + p.width, y);
    appendFormatted(svg, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s</text>\n", p.left - 4, y + 4,
                    formatted("%g", t).c_str());
  }
  appendFormatted(svg, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\" class=\"label\">%s</text>\n",
                  p.left + p.width / 2, p.top + p.height + 30, escaped(xLabel).c_str());
  appendFormatted(svg,
                  "<text transform=\"translate(%.1f %.1f) rotate(-90)\" text-anchor=\"middle\" class=\"label\">%s</text>\n",
                  p.left - 52, p.top + p.height / 2, escaped(yLabel).c_str());
}

void line(std::string& svg, const Panel& p, std::span<const double> x, std::span<const double> y, const char* colour,
          const char* dash = nullptr) {
  std::string points;
  for (std::size_t k = 0; k < std::min(x.size(), y.size()); ++k)
    if (std::isfinite(x[k]) && std::isfinite(y[k])) appendFormatted(points, "%.1f,%.1f ", p.px(x[k]), p.py(y[k]));
  appendFormatted(svg, "<polyline fill=\"none\" stroke=\"%s\" stroke-width=\"2\"%s points=\"%s\"/>\n", colour,
                  dash ? " stroke-dasharray=\"5 3\"" : "", points.c_str());
}

void markers(std::string& svg, const Panel& p, std::span<const double> x, std::span<const double> y, const char* colour,
             bool hollow = false) {
  for (std::size_t k = 0; k < std::min(x.size(), y.size()); ++k)
    if (std::isfinite(x[k]) && std::isfinite(y[k]))
      appendFormatted(svg, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"%s\" stroke=\"%s\"/>", p.px(x[k]),
                      p.py(y[k]), hollow ? "#fff" : colour, colour);
  svg += "\n";
}

/// A legend in the panel's upper left corner: a filled marker, then a line.
void legend(std::string& svg, const Panel& p, const char* markerText, const char* colourOfMarker, const char* lineText,
            const char* colourOfLine) {
  const double x = p.left + 10, y = p.top + 10;
  appendFormatted(svg, "<rect x=\"%.1f\" y=\"%.1f\" width=\"270\" height=\"42\" fill=\"#fff\" stroke=\"#999\" opacity=\"0.9\"/>", x, y);
  appendFormatted(svg, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"%s\"/>", x + 14, y + 13, colourOfMarker);
  appendFormatted(svg, "<text x=\"%.1f\" y=\"%.1f\">%s</text>", x + 28, y + 17, markerText);
  appendFormatted(svg, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" stroke-width=\"2\"/>", x + 4,
                  y + 31, x + 24, y + 31, colourOfLine);
  appendFormatted(svg, "<text x=\"%.1f\" y=\"%.1f\">%s</text>\n", x + 28, y + 35, lineText);
}

/// A one-line legend above the panel's right end, clear of the data:
/// measured as filled markers, the model as hollow ones on a line.
void legendAbove(std::string& svg, const Panel& p) {
  const double right = p.left + p.width, y = p.top - 8;
  appendFormatted(svg, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"%s\"/>", right - 250, y - 4, kMeasuredColour);
  appendFormatted(svg, "<text x=\"%.1f\" y=\"%.1f\">measured</text>", right - 242, y);
  appendFormatted(svg, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" stroke-width=\"2\"/>",
                  right - 180, y - 4, right - 160, y - 4, kModelColour);
  appendFormatted(svg, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"#fff\" stroke=\"%s\"/>", right - 170, y - 4,
                  kModelColour);
  appendFormatted(svg, "<text x=\"%.1f\" y=\"%.1f\">model at the mean point</text>\n", right - 154, y);
}

void openSvg(std::string& html, double width, double height, const std::string& title) {
  appendFormatted(html,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %.0f %.0f\" width=\"%.0f\" height=\"%.0f\" "
                  "role=\"img\"><title>%s</title>\n",
                  width, height, width, height, escaped(title).c_str());
}

constexpr double kFigureWidth = 1100, kPlotHeight = 240, kResidualHeight = 110, kMarginLeft = 90, kMarginRight = 20;

const char* directionText(int direction) {
  return direction == 1 ? "Fx over slip" : direction == 2 ? "Fy over slip angle" : "Fy and Mz over slip angle";
}

/// One sweep: per compared channel a column with the measured points and the
/// model curve, and the residuals (model minus measured) beneath.
void sweepFigure(std::string& html, const SweepCurve& s) {
  const TargetDirection direction(s.direction);
  std::vector<std::size_t> channels;
  for (std::size_t c = 0; c < 3; ++c)
    if (direction.compares(static_cast<ForceChannel>(c))) channels.push_back(c);
  const double columnWidth = kFigureWidth / static_cast<double>(channels.size());
  const double height = 20 + kPlotHeight + 50 + kResidualHeight + 50;
  const std::string xLabel = s.sweepsSlip ? "longitudinal slip [-]" : "slip angle [deg]";
  appendFormatted(html, "<figure class=\"sweep\" data-file=\"%s\">\n", escaped(s.file).c_str());
  openSvg(html, kFigureWidth, height, s.file + ": " + directionText(s.direction));
  for (std::size_t column = 0; column < channels.size(); ++column) {
    const std::size_t c = channels[column];
    std::vector<double> residual(s.measured[c].size());
    for (std::size_t k = 0; k < residual.size(); ++k) residual[k] = s.model[c][k] - s.measured[c][k];
    const double left = kMarginLeft + static_cast<double>(column) * columnWidth;
    const double width = columnWidth - kMarginLeft - kMarginRight;
    const Range x = rangeOf({s.swept, s.curveSwept});
    const Panel main{left, 20, width, kPlotHeight, x, rangeOf({s.measured[c], s.curve[c]})};
    const Panel below{left, 20 + kPlotHeight + 50, width, kResidualHeight, x, rangeOf({residual})};
    const std::string unit = kChannelUnits[c];
    axes(html, main, xLabel, std::string(kChannelNames[c]) + " [" + unit + "]");
    line(html, main, s.curveSwept, s.curve[c], kModelColour);
    markers(html, main, s.swept, s.measured[c], kMeasuredColour);
    legend(html, main, "measured", kMeasuredColour, "model at the mean operating point", kModelColour);
    axes(html, below, xLabel, "residual [" + unit + "]");
    if (below.y.low < 0.0 && below.y.high > 0.0)
      appendFormatted(html, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#333\"/>", below.left,
                      below.py(0.0), below.left + below.width, below.py(0.0));
    markers(html, below, s.swept, residual, kResidualColour);
    appendFormatted(html, "<text x=\"%.1f\" y=\"%.1f\" class=\"label\">model minus measured</text>\n", below.left + 8,
                    below.top - 6);
  }
  html += "</svg>\n";
  appendFormatted(html,
                  "<figcaption>%s: %s, %zu points; mean operating point: slip %s, slip angle %s deg, camber %s deg, "
                  "load %s N, speed %s mm/s</figcaption>\n</figure>\n",
                  escaped(s.file).c_str(), directionText(s.direction), s.swept.size(),
                  shown(snapped(s.mean.longitudinalSlip), "%.4g").c_str(), shown(snapped(s.mean.slipAngle), "%.4g").c_str(),
                  shown(snapped(s.mean.camber), "%.4g").c_str(), shown(s.mean.verticalLoad, "%.5g").c_str(),
                  shown(s.mean.speed, "%.5g").c_str());
}

/// One quantity against the load: the sweeps that give it, measured and modelled.
struct ByLoad {
  const char* title;
  const char* label;
  double SweepCurve::*measured;
  double SweepCurve::*model;
};

void byLoadPanel(std::string& html, const Panel& frame, const ByLoad& quantity, std::span<const SweepCurve> sweeps) {
  std::vector<std::pair<double, std::pair<double, double>>> rows;
  for (const SweepCurve& s : sweeps)
    if (std::isfinite(s.*quantity.measured) || std::isfinite(s.*quantity.model))
      rows.push_back({s.mean.verticalLoad, {s.*quantity.measured, s.*quantity.model}});
  std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<double> load, measured, model;
  for (const auto& [fz, values] : rows) {
    load.push_back(fz);
    measured.push_back(values.first);
    model.push_back(values.second);
  }
  Panel p = frame;
  p.x = rangeOf({load});
  p.y = rangeOf({measured, model});
  axes(html, p, "vertical load Fz [N]", quantity.label);
  appendFormatted(html, "<text x=\"%.1f\" y=\"%.1f\" class=\"label\">%s</text>\n", p.left, p.top - 8, quantity.title);
  if (rows.empty()) {
    appendFormatted(html, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">no sweep gives it</text>\n",
                    p.left + p.width / 2, p.top + p.height / 2);
    return;
  }
  // A line through the model's values only where each load has one sweep:
  // sweeps of the same load (at other cambers, of the other kind) stand apart.
  bool oneSweepPerLoad = true;
  for (std::size_t k = 1; k < load.size(); ++k)
    oneSweepPerLoad = oneSweepPerLoad && load[k] - load[k - 1] > 0.01 * std::fabs(load[k]);
  if (oneSweepPerLoad) line(html, p, load, model, kModelColour);
  markers(html, p, load, model, kModelColour, true);
  markers(html, p, load, measured, kMeasuredColour);
  legendAbove(html, p);
}

constexpr std::array<ByLoad, 4> kByLoad = {{
    {"dFy/dalpha at zero", "cornering stiffness [N/deg]", &SweepCurve::measuredStiffness, &SweepCurve::modelStiffness},
    {"dFx/dslip at zero", "slip stiffness [N]", &SweepCurve::measuredStiffness, &SweepCurve::modelStiffness},
    {"dMz/dalpha at zero", "aligning stiffness [N*mm/deg]", &SweepCurve::measuredAligning, &SweepCurve::modelAligning},
    {"largest |F| over Fz", "peak friction |F|/Fz [-]", &SweepCurve::measuredPeakFriction, &SweepCurve::modelPeakFriction},
}};

void byLoadFigure(std::string& html, std::span<const SweepCurve> sweeps) {
  // Cornering stiffness from the slip-angle sweeps, slip stiffness from the slip sweeps.
  std::vector<SweepCurve> angle, slip;
  for (const SweepCurve& s : sweeps) (s.sweepsSlip ? slip : angle).push_back(s);
  const double columnWidth = kFigureWidth / 2, height = 220;
  html += "<figure class=\"by-load\">\n";
  openSvg(html, kFigureWidth, 2 * (height + 70) + 20, "stiffness at zero and peak friction against the load");
  for (std::size_t k = 0; k < kByLoad.size(); ++k) {
    const Panel frame{kMarginLeft + static_cast<double>(k % 2) * columnWidth,
                      30 + static_cast<double>(k / 2) * (height + 70), columnWidth - kMarginLeft - kMarginRight,
                      height, {}, {}};
    byLoadPanel(html, frame, kByLoad[k], k == 1 ? std::span<const SweepCurve>(slip) : k == 3 ? sweeps : std::span<const SweepCurve>(angle));
  }
  html += "</svg>\n<figcaption>Measured: a least-squares line through the points with |slip| &lt;= 0.01 or |slip "
          "angle| &lt;= 1 deg; modelled: the same line through the model at the sweep's mean operating point. Peak "
          "friction: the largest |Fx| (slip sweeps) or |Fy| (slip-angle sweeps) over the load.</figcaption>\n</figure>\n";
  html += "<table><tr><th>file</th><th>load [N]</th><th>stiffness measured</th><th>stiffness model</th><th>unit</th>"
          "<th>dMz/dalpha measured [N*mm/deg]</th><th>dMz/dalpha model [N*mm/deg]</th><th>peak |F|/Fz measured</th>"
          "<th>peak |F|/Fz model</th></tr>\n";
  for (const SweepCurve& s : sweeps)
    appendFormatted(html,
                    "<tr><td>%s</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td>"
                    "<td>%s</td></tr>\n",
                    escaped(s.file).c_str(), shown(s.mean.verticalLoad, "%.5g").c_str(),
                    shown(s.measuredStiffness).c_str(), shown(s.modelStiffness).c_str(),
                    s.sweepsSlip ? "N" : "N/deg", shown(s.measuredAligning).c_str(), shown(s.modelAligning).c_str(),
                    shown(s.measuredPeakFriction, "%.4f").c_str(), shown(s.modelPeakFriction, "%.4f").c_str());
  html += "</table>\n";
}

// ---------------------------------------------------------------- tables

const char* boundText(int flag) { return flag < 0 ? "on lower bound" : flag > 0 ? "on upper bound" : ""; }

void designTable(std::string& html, const FitReport& report, const DesignUncertainty* u) {
  const bool intervals = u && u->fault.empty() && u->variables.size() == report.design.size();
  html += "<table><tr><th>variable</th><th>start</th><th>value</th><th>lower</th><th>upper</th>";
  if (intervals) html += "<th>standard error</th><th>95 % interval</th><th>determined</th>";
  html += "<th>flags</th></tr>\n";
  for (std::size_t k = 0; k < report.design.size(); ++k) {
    const DesignReport& d = report.design[k];
    appendFormatted(html,
                    "<tr class=\"design\" data-name=\"%s\" data-value=\"%s\"><td>%s</td><td>%s</td><td>%s</td>"
                    "<td>%s</td><td>%s</td>",
                    escaped(d.name).c_str(), exact(d.value).c_str(), escaped(d.name).c_str(), shown(d.start).c_str(),
                    shown(d.value).c_str(), shown(d.lower).c_str(), shown(d.upper).c_str());
    std::string flags = boundText(d.boundFlag);
    if (intervals) {
      const VariableUncertainty& v = u->variables[k];
      const std::string interval = std::isfinite(v.low95) && std::isfinite(v.high95)
                                       ? shown(v.low95) + " to " + shown(v.high95)
                                       : std::string("-");
      appendFormatted(html, "<td>%s</td><td>%s</td><td>%s</td>", shown(v.standardError, "%.3g").c_str(),
                      interval.c_str(), v.determined ? "yes" : "no");
      if (!v.reason.empty()) flags = v.reason;  // which says so when on a bound
    }
    appendFormatted(html, "<td class=\"text\">%s</td></tr>\n", escaped(flags).c_str());
  }
  html += "</table>\n";
  if (u && !u->fault.empty()) appendFormatted(html, "<p>No intervals: %s.</p>\n", escaped(u->fault).c_str());
}

void searchSection(std::string& html, const SearchResult& search) {
  if (search.startsDone == 0) {
    appendFormatted(html, "<p>No search: the design as given (%ld evaluations).</p>\n", search.evaluations);
  } else {
    appendFormatted(html,
                    "<p>Method %s, %d starts, %ld evaluations, %s s%s.</p>\n", searchMethodName(search.method),
                    search.startsDone, search.evaluations, shown(search.seconds, "%.3f").c_str(),
                    search.interrupted ? ", interrupted: the best design found so far" : "");
  }
  if (search.localSearches.empty()) return;
  // How often each reason ended a local search, in the order of StopReason.
  constexpr std::array kReasons = {StopReason::converged, StopReason::targetTolerance, StopReason::stepTolerance,
                                   StopReason::budget,    StopReason::stopped,         StopReason::roundoff,
                                   StopReason::failure};
  std::string tally;
  for (const StopReason reason : kReasons) {
    long count = 0;
    for (const LocalSearch& l : search.localSearches) count += l.reason == reason ? 1 : 0;
    if (count > 0) appendFormatted(tally, "%s%s %ld", tally.empty() ? "" : ", ", stopReasonName(reason), count);
  }
  appendFormatted(html, "<p>Local searches stopped by: %s.</p>\n", tally.c_str());
  html += "<table><tr><th>local search</th><th>kind</th><th>method</th><th>evaluations</th><th>best target [%]</th>"
          "<th>stopped by</th></tr>\n";
  // The starts a stop kept from beginning (all of 100000 but the first few
  // hundred, say) take one row per run of them.
  const auto notBegun = [](const LocalSearch& l) { return l.evaluations == 0 && l.reason == StopReason::stopped; };
  const std::vector<LocalSearch>& all = search.localSearches;
  for (std::size_t k = 0; k < all.size(); ++k) {
    const LocalSearch& l = all[k];
    std::size_t last = k;
    while (notBegun(l) && last + 1 < all.size() && notBegun(all[last + 1]) && all[last + 1].restart == l.restart) ++last;
    if (last > k) {
      appendFormatted(html, "<tr><td>%d to %d</td><td>%s</td><td>%s</td><td>0</td><td>-</td><td>not begun (%s)</td></tr>\n",
                      l.index, all[last].index, l.restart ? "restart" : "start", searchMethodName(l.method),
                      stopReasonName(l.reason));
      k = last;
      continue;
    }
    appendFormatted(html, "<tr><td>%d</td><td>%s</td><td>%s</td><td>%ld</td><td>%s</td><td>%s</td></tr>\n", l.index,
                    l.restart ? "restart" : "start", searchMethodName(l.method), l.evaluations,
                    shown(l.target, "%.6f").c_str(), stopReasonName(l.reason));
  }
  html += "</table>\n";
}

void messagesSection(std::string& html, const SearchResult& search, const DesignUncertainty* u) {
  std::vector<std::string> items;
  for (const SearchMessage& m : search.messages)
    items.push_back(formatted("%ld times: ", m.count) + escaped(m.text));
  if (search.messagesNotKept > 0) items.push_back(formatted("%ld more messages of other texts", search.messagesNotKept));
  if (u)
    for (const std::string& m : u->undetermined) items.push_back(escaped(m));
  if (items.empty()) {
    html += "<p>none</p>\n";
    return;
  }
  html += "<ul>\n";
  for (const std::string& item : items) html += "<li><pre>" + item + "</pre></li>\n";
  html += "</ul>\n";
}

/// The runs a prepared folder came from and the warnings of a forced preparation.
void preparationSection(std::string& html, const Preparation& p) {
  if (!p.fault.empty()) {
    appendFormatted(html, "<p>The record of the preparation was not read: %s.</p>\n", escaped(p.fault).c_str());
    return;
  }
  appendFormatted(html, "<p>Prepared by gripfit prepare (%s) from runs in %s axes, turned into ours:</p>\n",
                  kPreparationFile, escaped(p.convention).c_str());
  html += "<table>\n<tr><th>run</th><th>samples</th><th>axes</th></tr>\n";
  for (const PreparedRun& run : p.runs)
    appendFormatted(html, "<tr><td class=\"text\">%s</td><td>%zu</td><td class=\"text\">%s</td></tr>\n",
                    escaped(run.file).c_str(), run.samples, escaped(run.convention).c_str());
  html += "</table>\n";
  if (p.warnings.empty()) {
    html += "<p>Every check of the preparation passed.</p>\n";
    return;
  }
  appendFormatted(html, "<p>Failed checks let through (--force): %zu</p>\n<ul class=\"warnings\">\n",
                  p.warnings.size());
  for (const std::string& warning : p.warnings) html += "<li><pre>warning (--force): " + escaped(warning) + "</pre></li>\n";
  html += "</ul>\n";
}

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#222;max-width:1140px}"
    "table{border-collapse:collapse;margin:0.5em 0 1.5em}"
    "th,td{border:1px solid #bbb;padding:2px 8px;text-align:right}"
    "th{background:#eee}td:first-child,td.text{text-align:left}"
    "figure{margin:0 0 1.5em}figcaption{font-size:0.9em;color:#444}"
    "svg{font-family:sans-serif;font-size:11px;display:block}svg .label{font-size:13px}"
    "pre{margin:0;white-space:pre-wrap}";

}  // namespace

namespace {

std::string page(const DesignState& state, const FitReport& report, const DesignUncertainty* uncertainty,
                 std::span<const SweepCurve> sweeps) {
  std::string html;
  appendFormatted(html,
                  "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Fit report</title>\n"
                  "<style>%s</style>\n</head>\n<body>\n<h1>Fit report</h1>\n",
                  kStyle);
  appendFormatted(html,
                  "<p>Target <span id=\"target\" data-value=\"%s\">%s %%</span> (mean load-normalised error) over %d "
                  "points of %zu sweeps; Mz errors count over a lever of %g mm.</p>\n",
                  exact(report.target).c_str(), shown(report.target, "%.6f").c_str(), report.points,
                  state.fileNames.size(), kMomentLever);
  if (report.preparation) {
    html += "<h2>Preparation</h2>\n";
    preparationSection(html, *report.preparation);
  }
  html += "<h2>Sweeps</h2>\n";
  for (const SweepCurve& s : sweeps) sweepFigure(html, s);
  html += "<h2>Stiffness at zero and peak friction by load</h2>\n";
  byLoadFigure(html, sweeps);
  html += "<h2>Design variables</h2>\n";
  designTable(html, report, uncertainty);
  html += "<h2>Search</h2>\n";
  searchSection(html, report.search);
  html += "<h2>Messages</h2>\n";
  messagesSection(html, report.search, uncertainty);
  html += "</body>\n</html>\n";
  return html;
}

}  // namespace

std::string reportHtml(const DesignState& state, const FitReport& report, const DesignUncertainty* uncertainty) {
  return page(state, report, uncertainty, sweepCurves(state, report.search.design));
}

std::string reportHtml(const DesignState& state, const FitReport& report, std::span<const SweepCurve> sweeps) {
  // The page shows what the text and JSON show, judged once by makeReport.
  return page(state, report, report.uncertainty ? &*report.uncertainty : nullptr, sweeps);
}

std::string reportHtml(const DesignState& state, const FitReport& report) {
  return reportHtml(state, report, sweepCurves(state, report.search.design));
}

}  // namespace grip
