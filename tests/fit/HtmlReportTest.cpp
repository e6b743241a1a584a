// The fit report page: the sweeps behind its figures, stiffness at zero,
// and the page's text (its numbers, its escaping, its locale).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "DecimalCommaLocale.h"
#include "FitFolder.h"
#include "core/Console.h"
#include "core/FormatText.h"
#include "fit/HtmlReport.h"
#include "fit/SweepCurve.h"

namespace grip {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct SlopeCase {
  const char* name;
  std::vector<double> x, y;
  double window, slope;  // NaN: no line
};

void PrintTo(const SlopeCase& c, std::ostream* out) { *out << c.name; }

class SlopeNearZero : public ::testing::TestWithParam<SlopeCase> {};

TEST_P(SlopeNearZero, FitsTheLineThroughThePointsInTheWindow) {
  const SlopeCase& c = GetParam();
  const double slope = slopeNearZero(c.x, c.y, c.window);
  if (std::isnan(c.slope)) EXPECT_TRUE(std::isnan(slope)) << slope;
  else EXPECT_NEAR(slope, c.slope, 1e-12);  // a few roundings of sums of small integers
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlopeNearZero,
    ::testing::Values(SlopeCase{"PointsOutsideLeftOut", {-2, -1, 0, 1, 2}, {100, -1, 2, 5, -100}, 1.0, 3.0},
                      SlopeCase{"NegativeSlope", {-0.5, 0, 0.5}, {3, 1, -1}, 1.0, -4.0},
                      SlopeCase{"EdgeOfTheWindowCounts", {-1, 1}, {0, 2}, 1.0, 1.0},
                      SlopeCase{"OffsetLineKeepsItsSlope", {0.2, 0.4, 0.6}, {1000.4, 1000.8, 1001.2}, 1.0, 2.0},
                      SlopeCase{"NotANumberLeftOut", {kNaN, 0, 1}, {9, 0, 2}, 1.0, 2.0},
                      SlopeCase{"OnePointInTheWindow", {0, 5}, {1, 2}, 1.0, kNaN},
                      SlopeCase{"EqualSweptValues", {0.5, 0.5}, {1, 2}, 1.0, kNaN},
                      SlopeCase{"NoPoints", {}, {}, 1.0, kNaN}),
    [](const auto& info) { return std::string(info.param.name); });

/// examples/fit, initialised; its sweeps were made by the model at kTrue.
class HtmlOfAFit : public ::testing::Test {
 protected:
  HtmlOfAFit() {
    test::copyFiles(EXAMPLES_DIR "/fit", dir);
    ScopedMessageSink silent([](std::string_view) {});
    initialised = initialiseDesign(state) == 0.0;
  }
  FitReport reportAt(const std::vector<double>& design) {
    SearchResult search;
    search.design = design;
    search.startsDone = 2;
    search.evaluations = 321;
    search.localSearches = {{1, false, SearchMethod::sbplx, 300, 0.5, StopReason::budget},
                            {2, true, SearchMethod::sbplx, 21, 0.25, StopReason::stepTolerance},
                            {3, false, SearchMethod::sbplx, 0, kInfinity, StopReason::stopped},
                            {4, false, SearchMethod::sbplx, 0, kInfinity, StopReason::stopped}};
    search.messages = {{"a <warning> & more\n", 2}};
    return makeReport(state, search);
  }
  const std::vector<double> kTrue = {0.06, 0.045, 1.05, 1.0};
  test::FitFolder dir;
  DesignState state;
  bool initialised = false;
};

TEST_F(HtmlOfAFit, SweepsFollowTheFilesAndTheModel) {
  ASSERT_TRUE(initialised);
  const std::vector<double> design = {0.05, 0.05, 1.0, 1.0};
  SearchResult search;
  search.design = design;
  makeReport(state, search);  // leaves the state's own model forces at design
  const std::vector<SweepCurve> sweeps = sweepCurves(state, design);
  ASSERT_EQ(sweeps.size(), 5u);
  const int directions[] = {1, 1, 2, 2, 3};
  const double loads[] = {3000, 5000, 3000, 5000, 4000};
  std::size_t first = 0;
  for (std::size_t f = 0; f < sweeps.size(); ++f) {
    const SweepCurve& s = sweeps[f];
    SCOPED_TRACE(s.file);
    EXPECT_EQ(s.direction, directions[f]);
    EXPECT_EQ(s.sweepsSlip, directions[f] == 1);
    EXPECT_EQ(s.mean.verticalLoad, loads[f]);  // the same load at every point
    EXPECT_EQ(s.mean.speed, 20000.0);
    ASSERT_EQ(s.swept.size(), 41u);
    ASSERT_EQ(s.curveSwept.size(), kCurvePoints);
    EXPECT_EQ(s.curveSwept.front(), s.swept.front());  // the sweeps run upwards
    EXPECT_EQ(s.curveSwept.back(), s.swept.back());
    // Point by point as the target's batch evaluation gives them; the batch
    // rounds in another order, in the last digits.
    for (std::size_t k = 0; k < s.swept.size(); ++k) {
      EXPECT_NEAR(s.model[0][k], state.evaluator->Fx(first + k), 1e-12 * std::fabs(s.model[0][k]) + 1e-12);
      EXPECT_NEAR(s.model[1][k], state.evaluator->Fy(first + k), 1e-12 * std::fabs(s.model[1][k]) + 1e-12);
      EXPECT_NEAR(s.model[2][k], state.evaluator->Mz(first + k), 1e-12 * std::fabs(s.model[2][k]) + 1e-12);
    }
    // Every other input is the same at each point: the curve passes through
    // the model's points where its grid meets them (each 2.5 curve steps).
    for (std::size_t k = 0; k < s.swept.size(); k += 2) {
      const std::size_t at = k * 5 / 2;
      ASSERT_NEAR(s.curveSwept[at], s.swept[k], 1e-12);  // one rounding of the grid
      const std::size_t c = s.sweepsSlip ? 0 : 1;
      EXPECT_NEAR(s.curve[c][at], s.model[c][k], 1e-9 * std::fabs(s.model[c][k]) + 1e-9);  // the grid's rounding
    }
    EXPECT_EQ(std::isnan(s.measuredAligning), directions[f] != 3);
    EXPECT_EQ(std::isnan(s.modelAligning), directions[f] != 3);
    first += s.swept.size();
  }
  // By hand from the files: least-squares lines through the points within
  // 1 deg (alpha3000: -1 .. 1 deg in steps of 0.5; moment4000: of 0.3).
  EXPECT_NEAR(sweeps[2].measuredStiffness, 910.14006, 1e-5);    // N/deg; the files' 7 digits
  EXPECT_NEAR(sweeps[4].measuredAligning, 37312.829, 1e-3);     // N*mm/deg
  EXPECT_GT(sweeps[0].measuredStiffness, 0.0);                  // Fx rises with slip
}

TEST_F(HtmlOfAFit, ModelAtTheTrueDesignMeetsTheMeasuredStiffnessAndFriction) {
  ASSERT_TRUE(initialised);
  for (const SweepCurve& s : sweepCurves(state, kTrue)) {
    SCOPED_TRACE(s.file);
    // The sweeps are the model's own forces with a noise of 1e-4 N (5e-3 N*mm).
    EXPECT_NEAR(s.modelStiffness, s.measuredStiffness, 1e-5 * s.measuredStiffness);
    if (s.direction == 3) {
      EXPECT_NEAR(s.modelAligning, s.measuredAligning, 1e-5 * s.measuredAligning);
    }
    EXPECT_GT(s.measuredPeakFriction, 0.9);  // mue0 1.05 at the load's friction law
    // The points lie 0.5 deg (0.01) apart, the curve's 0.2 deg (0.004): each
    // grid misses the flat peak by its own share, up to 5e-4 here.
    EXPECT_NEAR(s.modelPeakFriction, s.measuredPeakFriction, 1e-3);
  }
}

TEST(HtmlOfNoState, HasNoSweeps) {
  DesignState state;
  EXPECT_TRUE(sweepCurves(state, std::vector<double>{}).empty());
}

/// How often needle stands in text.
std::size_t countOf(const std::string& text, const std::string& needle) {
  std::size_t count = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
  return count;
}

TEST_F(HtmlOfAFit, PageHoldsAFigurePerSweepAndTheReportsNumbers) {
  ASSERT_TRUE(initialised);
  const FitReport report = reportAt({0.05, 0.05, 1.0, 1.0});
  const std::string html = reportHtml(state, report);
  EXPECT_EQ(html.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_EQ(countOf(html, "<figure class=\"sweep\""), 5u);
  EXPECT_EQ(countOf(html, "<svg "), 6u);  // and the one by load
  EXPECT_EQ(countOf(html, "<tr class=\"design\""), 4u);
  EXPECT_EQ(countOf(html, "<script"), 0u);
  EXPECT_EQ(countOf(html, "http"), countOf(html, "xmlns=\"http://www.w3.org/2000/svg\""));  // nothing fetched
  EXPECT_NE(html.find("id=\"target\" data-value=\"" + formatted("%.17g", report.target) + "\""), std::string::npos);
  EXPECT_NE(html.find("data-name=\"mue0\" data-value=\"1\""), std::string::npos);
  EXPECT_NE(html.find("<th>95 % interval</th>"), std::string::npos);
  EXPECT_NE(html.find("<td>2</td><td>restart</td><td>sbplx</td><td>21</td><td>0.250000</td><td>step tolerance</td>"),
            std::string::npos);
  // Starts a stop kept from beginning share one row.
  EXPECT_NE(html.find("<td>3 to 4</td><td>start</td><td>sbplx</td><td>0</td><td>-</td><td>not begun (stopped)</td>"),
            std::string::npos);
  EXPECT_NE(html.find("<p>Local searches stopped by: step tolerance 1, budget 1, stopped 2.</p>"), std::string::npos);
  EXPECT_NE(html.find("2 times: a &lt;warning&gt; &amp; more\n"), std::string::npos);
  EXPECT_EQ(html.find("<warning>"), std::string::npos);
  // Without the uncertainty: no interval column.
  EXPECT_EQ(reportHtml(state, report, nullptr).find("95 % interval"), std::string::npos);
}

TEST_F(HtmlOfAFit, FileNamesAreEscapedAndKeptValidUtf8) {
  ASSERT_TRUE(initialised);
  state.fileNames[0] = "a<b>&\"\xE9t\xC3\xA9.dat";  // a Latin-1 byte, then UTF-8
  const std::string html = reportHtml(state, reportAt(kTrue));
  EXPECT_NE(html.find("data-file=\"a&lt;b&gt;&amp;&quot;\xEF\xBF\xBDt\xC3\xA9.dat\""), std::string::npos);
  EXPECT_EQ(html.find("\xE9t"), std::string::npos);
}

TEST_F(HtmlOfAFit, DecimalCommaLocaleChangesNoNumber) {
  ASSERT_TRUE(initialised);
  const FitReport report = reportAt(kTrue);
  const std::string inC = reportHtml(state, report, nullptr);
  test::DecimalCommaLocale comma;
  if (!comma.active()) GTEST_SKIP() << comma.fault();
  EXPECT_EQ(reportHtml(state, report, nullptr), inC);
}

}  // namespace
}  // namespace grip
