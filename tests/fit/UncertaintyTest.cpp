// The uncertainty of a fitted design: intervals that cover the true value
// as often as they say, variables the data cannot tell apart, variables on
// a bound, and the texts of the report.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <tuple>

#include "FitFolder.h"
#include "core/Console.h"
#include "core/FormatText.h"
#include "fit/Search.h"
#include "fit/Uncertainty.h"

namespace grip {
namespace {

/// One measurement file: a sweep of slip (direction 1) or slip angle
/// (direction 2 or 3) at one load.
struct Sweep {
  int direction;
  double load;  ///< [N]
  int points = 15;
};

/// A design variable: its name and bounds; the value is examples/passenger.dat's.
struct Free {
  const char* name;
  double lower, upper;
};

/// A fit of a tyre's parameters (examples/passenger.dat: the continuous
/// model) to sweeps that its model makes from them, in a temporary working
/// folder.
struct SyntheticFit {
  SyntheticFit(const std::vector<Sweep>& sweeps, const std::vector<Free>& design,
               const std::string& tyre = "passenger.dat") {
    std::string start = test::readFile(EXAMPLES_DIR "/" + tyre);
    for (const Free& v : design) {
      const std::size_t end = start.find('\n', start.find(" " + std::string(v.name) + " "));
      start.insert(end, formatted(" designbounds %.17g %.17g", v.lower, v.upper));
    }
    dir.write(fit::kDesignStartFile, start);
    std::string target = "synthetic sweeps\n number of files = " + std::to_string(sweeps.size()) + "\n";
    for (std::size_t f = 0; f < sweeps.size(); ++f) {
      const std::string name = "sweep" + std::to_string(f) + ".dat";
      const int count = sweeps[f].points;
      target += " file = " + name + " points = " + std::to_string(count) +
                " direction = " + std::to_string(sweeps[f].direction) + " speed = 20000\n";
      std::string points;
      for (int k = 0; k < count; ++k) {
        const double share = count > 1 ? -1.0 + 2.0 * k / (count - 1) : 0.2;
        const double slip = sweeps[f].direction == 1 ? 0.2 * share : 0.0;
        const double angle = sweeps[f].direction == 1 ? 0.0 : 10.0 * share;
        points += std::to_string(slip) + " " + std::to_string(angle) + " 0 0 0 " + std::to_string(sweeps[f].load) +
                  " 0\n";
      }
      dir.write(name, points);
    }
    dir.write(fit::kDesignTargetFile, target + "[Eof]\n");
    ScopedMessageSink silent([](std::string_view) {});
    initialised = initialiseDesign(state) == 0.0;
    truth.assign(state.startValues.begin(), state.startValues.begin() + state.designCount);
    state.evaluator->target(truth);
    const std::size_t points = state.columns.Fx.size();
    exact.resize(3 * points);
    for (std::size_t k = 0; k < points; ++k) {
      exact[k] = state.evaluator->Fx(k);
      exact[points + k] = state.evaluator->Fy(k);
      exact[2 * points + k] = state.evaluator->Mz(k);
    }
  }

  /// Measured forces: the model's at the truth plus Gaussian noise of
  /// `share` of the load (and kMomentLever times that for Mz).
  void measure(unsigned seed, double share) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> gauss;
    MeasuredColumns& m = state.columns;
    const std::size_t points = m.Fx.size();
    for (std::size_t k = 0; k < points; ++k) {
      const double sigma = share * m.verticalLoad[k];
      m.Fx[k] = exact[k] + sigma * gauss(random);
      m.Fy[k] = exact[points + k] + sigma * gauss(random);
      m.Mz[k] = exact[2 * points + k] + kMomentLever * sigma * gauss(random);
    }
  }

  test::FitFolder dir;
  DesignState state;
  bool initialised = false;
  std::vector<double> truth, exact;
};

const std::vector<Sweep> kTwoLoads = {{1, 3000}, {1, 5000}, {3, 3000}, {3, 5000}};
const std::vector<Free> kFive = {
    {"cx0", 0.03, 0.09}, {"cy0", 0.02, 0.07}, {"cy1", -3e-5, 3e-5}, {"mue0", 0.6, 1.4}, {"MzScaleP", 0.2, 4.0}};

// 48 fits of data with 0.5 % noise, each by gripfit's search (absolute
// errors) from a start away from the truth.
TEST(DesignUncertainty, IntervalsCoverTheTruthAsOftenAsTheySay) {
  SyntheticFit fit(kTwoLoads, kFive);
  ASSERT_TRUE(fit.initialised);
  const std::size_t n = kFive.size();
  for (std::size_t i = 0; i < n; ++i) fit.state.startValues[i] = fit.truth[i] * (i % 2 == 0 ? 1.08 : 0.93);
  constexpr int kSeeds = 48;
  std::vector<int> covered(n, 0);
  SearchOptions options;
  options.starts = 1;
  options.threads = 1;
  options.maxEvaluations = 2000;
  for (unsigned seed = 1; seed <= kSeeds; ++seed) {
    fit.measure(seed, 0.005);
    const SearchResult result = searchDesign(fit.state, options);
    ASSERT_EQ(result.fault, "");
    const DesignUncertainty u = designUncertainty(fit.state, result.design);
    ASSERT_EQ(u.fault, "");
    for (std::size_t i = 0; i < n; ++i) {
      const VariableUncertainty& v = u.variables[i];
      EXPECT_TRUE(v.determined) << v.name << ": " << v.reason;
      EXPECT_GT(v.standardError, 0.0);
      covered[i] += v.low95 <= fit.truth[i] && fit.truth[i] <= v.high95 ? 1 : 0;
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    std::printf("coverage %-8s %d of %d\n", kFive[i].name, covered[i], kSeeds);
    // 85 %: 95 % less about twice the binomial spread of 48 fits (3 %).
    EXPECT_GE(covered[i], 0.85 * kSeeds) << kFive[i].name;
  }
}

struct IdentifiabilityCase {
  const char* name;
  std::vector<Sweep> sweeps;
  std::vector<Free> design;
  std::vector<bool> determined;
  std::vector<std::string> undetermined;
  int degreesOfFreedom = -1;  ///< checked when 0 or more
};

// The design at the truth with 0.5 % noise: the Jacobian there tells what
// the sweeps can and cannot separate, whatever a search would find.
TEST(DesignUncertainty, NamesWhatTheSweepsCannotSeparate) {
  const std::vector<Free> cy = {{"cy0", 0.02, 0.07}, {"cy1", -3e-5, 3e-5}, {"mue0", 0.6, 1.4}};
  const std::vector<IdentifiabilityCase> cases = {
      {"OneLoad", {{1, 4000}, {3, 4000}}, cy, {false, false, true},
       {"cy0 and cy1 are not determined by these data (they trade exactly against each other): "
        "sweeps at more loads would separate them"},
       45 - 2},  // the pair counts once
      {"TwoLoads", {{1, 3000}, {3, 3000}, {3, 5000}}, cy, {true, true, true}, {}},
      {"PinAndStiffnesses", kTwoLoads, {{"cx0", 0.03, 0.09}, {"cy0", 0.02, 0.07}, {"pin", 0.1, 0.4}},
       {false, false, false},
       {"cx0, cy0 and pin are not determined by these data (they nearly trade against each other): keep pin fixed: "
        "the continuous model's forces depend on the stiffnesses only over pin"}},
      // Sweeps to 10 degrees reach little of the fall to sliding friction.
      {"Correlated", kTwoLoads, {{"mue1yp", 0.4, 1.5}, {"cmueyp", 300, 20000}}, {false, false},
       {"mue1yp and cmueyp are not determined by these data (correlation -0.9965): "
        "positive slip angles well beyond the peak would separate them"}},
      // Mz noise of 500 mm times 0.5 % of the load against moments of about 20 N*m.
      {"WideInterval", kTwoLoads, {{"cy0", 0.02, 0.07}, {"MzScaleP", 0.5, 1.5}}, {true, false},
       {"MzScaleP is not determined by these data (its 95 % interval spans 70 % of its bounds): "
        "aligning moments (direction 3) at positive slip angles would pin it down"}},
      {"UnreadParameter", kTwoLoads, {{"cx0", 0.03, 0.09}, {"muexy", 0.5, 1.5}}, {true, false},
       {"muexy is not determined by these data (does not change the residuals): "
        "combined slip and slip angle would pin it down"}},
      // Over bounds 1e-10 wide the offset moves the residuals by next to nothing.
      {"NoEffectOverItsBounds", kTwoLoads, {{"cy0", 0.02, 0.07}, {"sy0", 0.1 - 5e-11, 0.1 + 5e-11}}, {true, false},
       {"sy0 is not determined by these data (does not change the residuals): "
        "slip angle sweeps through zero would pin it down"}},
      {"NoMomentData", {{1, 3000}, {2, 3000}}, {{"cy0", 0.02, 0.07}, {"MzScaleP", 0.2, 4.0}}, {true, false},
       {"MzScaleP is not determined by these data (does not change the residuals): "
        "aligning moments (direction 3) at positive slip angles would pin it down"}},
      // At the reference load Fzbar (4000 N) the load coefficients of the
      // stiffness add to its base value, and that of friction does nothing.
      {"ReferenceLoad", {{1, 4000}, {3, 4000}},
       {{"cx0", 0.03, 0.09}, {"cx1", -3e-5, 3e-5}, {"mue0", 0.6, 1.4}, {"mueFz", -1.5e-4, 1.5e-4}},
       {false, false, true, false},
       {"cx0 and cx1 are not determined by these data (they trade exactly against each other): "
        "sweeps at more loads would separate them",
        "mueFz is not determined by these data (does not change the residuals): "
        "sweeps at more loads would pin it down"},
       45 - 2},
  };
  for (const IdentifiabilityCase& c : cases) {
    SCOPED_TRACE(c.name);
    SyntheticFit fit(c.sweeps, c.design);
    ASSERT_TRUE(fit.initialised);
    fit.measure(1, 0.005);
    const DesignUncertainty u = designUncertainty(fit.state, fit.truth);
    ASSERT_EQ(u.fault, "");
    ASSERT_EQ(u.variables.size(), c.determined.size());
    for (std::size_t i = 0; i < c.determined.size(); ++i) {
      EXPECT_EQ(u.variables[i].determined, c.determined[i]) << u.variables[i].name << ": " << u.variables[i].reason;
      EXPECT_EQ(u.variables[i].reason.empty(), c.determined[i]) << u.variables[i].name;
    }
    EXPECT_EQ(u.undetermined, c.undetermined);
    if (c.degreesOfFreedom >= 0) {
      EXPECT_EQ(u.degreesOfFreedom, c.degreesOfFreedom);
    }
  }
}

// Between two of its steps the discrete model's forces, too, depend on the
// stiffnesses only over pin; the grid points that enter sliding as they
// change tell them apart, and only a step across many of them sees that.
TEST(DesignUncertainty, DiscreteModelStepsAcrossItsGrid) {
  SyntheticFit fit(kTwoLoads, {{"cx0", 0.03, 0.09}, {"cy0", 0.02, 0.07}, {"pin", 0.1, 0.4}}, "passenger_discrete.dat");
  ASSERT_TRUE(fit.initialised);
  fit.measure(1, 0.005);
  const DesignUncertainty across = designUncertainty(fit.state, fit.truth);
  ASSERT_EQ(across.fault, "");
  EXPECT_EQ(across.step, kDiscreteStep);
  EXPECT_EQ(across.evaluations, 7);
  UncertaintyOptions fine;
  fine.relativeStep = kContinuousStep;
  const DesignUncertainty between = designUncertainty(fit.state, fit.truth, fine);
  for (std::size_t i = 0; i < 3; ++i) {
    const VariableUncertainty &a = across.variables[i], &b = between.variables[i];
    EXPECT_TRUE(std::isfinite(a.standardError) && a.standardError > 0.0) << a.name;
    EXPECT_NE(a.reason, "nearly trades against others") << a.name;
    // Measured: 6.1 to 6.2 times the standard error of the step across.
    EXPECT_GT(b.standardError, 3.0 * a.standardError) << b.name;
    EXPECT_EQ(b.reason, "nearly trades against others") << b.name;
  }
}

// MzScaleP's truth, 1, on one of its bounds: no interval, and the others
// judged as if it were no design variable.
TEST(DesignUncertainty, VariableOnABoundIsFlaggedAndLeftOut) {
  const std::vector<Free> three = {{"cx0", 0.03, 0.09}, {"cy0", 0.02, 0.07}, {"mue0", 0.6, 1.4}};
  SyntheticFit alone(kTwoLoads, three);
  ASSERT_TRUE(alone.initialised);
  alone.measure(3, 0.005);
  const DesignUncertainty reference = designUncertainty(alone.state, alone.truth);
  ASSERT_EQ(reference.fault, "");
  for (const auto& [lower, upper, flag, reason] : {std::tuple{1.0, 2.0, -1, "on its lower bound"},
                                                   std::tuple{0.5, 1.0, 1, "on its upper bound"}}) {
    SCOPED_TRACE(reason);
    std::vector<Free> four = three;
    four.push_back({"MzScaleP", lower, upper});
    SyntheticFit fit(kTwoLoads, four);
    ASSERT_TRUE(fit.initialised);
    fit.measure(3, 0.005);
    const DesignUncertainty u = designUncertainty(fit.state, fit.truth);
    ASSERT_EQ(u.fault, "");
    const VariableUncertainty& bound = u.variables[3];
    EXPECT_EQ(bound.boundFlag, flag);
    EXPECT_FALSE(bound.determined);
    EXPECT_EQ(bound.reason, reason);
    EXPECT_TRUE(std::isnan(bound.standardError));
    EXPECT_TRUE(std::isnan(bound.low95) && std::isnan(bound.high95));
    EXPECT_EQ(u.correlationNames, (std::vector<std::string>{"cx0", "cy0", "mue0"}));
    EXPECT_EQ(u.undetermined, std::vector<std::string>{});  // the report names it among those on a bound
    EXPECT_EQ(u.evaluations, 1 + 2 * 3);
    for (std::size_t i = 0; i < three.size(); ++i) {
      EXPECT_EQ(u.variables[i].boundFlag, 0);
      EXPECT_TRUE(u.variables[i].determined);
      EXPECT_DOUBLE_EQ(u.variables[i].standardError, reference.variables[i].standardError) << three[i].name;
    }
  }
}

TEST(DesignUncertainty, RefusesWhatItCannotJudge) {
  SyntheticFit fit(kTwoLoads, {{"cx0", 0.03, 0.09}, {"cy0", 0.02, 0.07}});
  ASSERT_TRUE(fit.initialised);
  const DesignState none;
  EXPECT_EQ(designUncertainty(none, {}).fault, "the design state is not initialised");
  EXPECT_EQ(designUncertainty(fit.state, std::vector<double>{0.06}).fault,
            "the design holds 1 values where 2 design variables are expected");
  const DesignUncertainty notANumber = designUncertainty(fit.state, std::vector<double>{0.06, std::nan("")});
  EXPECT_EQ(notANumber.fault, "the model gives residuals that are not finite numbers at or near the design");
  ASSERT_EQ(notANumber.variables.size(), 2u);
  EXPECT_FALSE(notANumber.variables[0].determined);
  EXPECT_FALSE(notANumber.variables[1].determined);
  EXPECT_EQ(uncertaintyNotes(notANumber), std::vector<std::string>{
      "uncertainty  none: the model gives residuals that are not finite numbers at or near the design\n"});
}

// As many residuals as free variables leave no spread to judge by.
TEST(DesignUncertainty, TooFewResidualsDetermineNothing) {
  SyntheticFit fit({{3, 4000, 1}}, {{"cy0", 0.02, 0.07}, {"mue0", 0.6, 1.4}});  // Fy and Mz at 2 degrees
  ASSERT_TRUE(fit.initialised);
  fit.measure(1, 0.005);
  const DesignUncertainty u = designUncertainty(fit.state, fit.truth);
  EXPECT_EQ(u.fault, "");
  EXPECT_EQ(u.degreesOfFreedom, 0);
  EXPECT_EQ(u.undetermined, std::vector<std::string>{"the 2 residuals cannot determine 2 free design variables"});
  for (const VariableUncertainty& v : u.variables) {
    EXPECT_FALSE(v.determined);
    EXPECT_EQ(v.reason, "fewer residuals than free design variables");
    EXPECT_TRUE(std::isnan(v.standardError));
  }
  EXPECT_EQ(u.correlationNames, std::vector<std::string>{});
}

TEST(StudentT, QuantilesOfTheTable) {
  // Two-sided 95 % quantiles worked out by the t distribution's integral.
  const std::vector<std::pair<int, double>> table = {{0, 12.7062}, {1, 12.7062}, {2, 4.3027}, {3, 3.1824},
                                                     {6, 2.4469}, {7, 2.3646}, {10, 2.2281}, {30, 2.0423},
                                                     {1000, 1.9623}, {1000000, 1.9600}};
  for (const auto& [dof, t] : table) EXPECT_NEAR(studentT95(dof), t, 1e-4) << dof;  // the table's 4 decimals
}

/// A record made by hand: one variable determined, one on a bound, one that
/// trades with another.
DesignUncertainty handMade() {
  DesignUncertainty u;
  const double nan = std::nan("");
  u.variables = {{"cx0", par::cx0, 0.06, 0.03, 0.09, 0.0004, 0.0592, 0.0608, true, 0, ""},
                 {"MzScaleP", par::MzScaleP, 1.5, 0.5, 1.5, nan, nan, nan, false, 1, "on its upper bound"},
                 {"cy1", par::cy1, -1e-7, -3e-5, 3e-5, std::numeric_limits<double>::infinity(), nan, nan, false, 0,
                  "trades exactly against others"}};
  u.correlationNames = {"cx0", "cy1"};
  u.correlation = {1.0, -0.25, -0.25, 1.0};
  u.undetermined = {"cy1 is not determined"};
  u.residualCount = 90;
  u.degreesOfFreedom = 88;
  u.residualSpread = 0.0125;
  return u;
}

TEST(UncertaintyTexts, ColumnsAndNotesOfTheReport) {
  const DesignUncertainty u = handMade();
  EXPECT_EQ(uncertaintyColumns(u), (std::vector<std::string>{
                                       "      std.error          low95         high95  determined",
                                       "  +4.000000e-04  +5.920000e-02  +6.080000e-02  yes",
                                       "              -              -              -  no (bound)",
                                       "              -              -              -  no"}));
  EXPECT_EQ(uncertaintyNotes(u),
            (std::vector<std::string>{
                "uncertainty  from 90 residuals, 88 degrees of freedom, spread 0.0125 %; "
                "intervals: 95 %, none on a bound\n",
                "not determined: cy1 is not determined\n",
                "\ncorrelation     cx0     cy1\n",
                "cx0         +1.0000 -0.2500\n",
                "cy1         -0.2500 +1.0000\n"}));
  DesignUncertainty all = u;
  all.undetermined.clear();
  all.correlationNames.resize(1);
  all.correlation.resize(1);
  EXPECT_EQ(uncertaintyNotes(all), (std::vector<std::string>{
                                       "uncertainty  from 90 residuals, 88 degrees of freedom, spread 0.0125 %; "
                                       "intervals: 95 %, none on a bound\n",
                                       "not determined: none\n"}));
}

TEST(UncertaintyTexts, JsonPiecesWithNullForNoNumber) {
  EXPECT_EQ(uncertaintyJson(handMade()).dump(),
            R"({"correlation":{"matrix":[[1.0,-0.25],[-0.25,1.0]],"names":["cx0","cy1"]},)"
            R"("design":[{"determined":true,"interval95":[0.0592,0.0608],"name":"cx0","reason":"",)"
            R"("standard_error":0.0004},{"determined":false,"interval95":[null,null],"name":"MzScaleP",)"
            R"("reason":"on its upper bound","standard_error":null},{"determined":false,)"
            R"("interval95":[null,null],"name":"cy1","reason":"trades exactly against others",)"
            R"("standard_error":null}],"residual_spread":0.0125,"undetermined":["cy1 is not determined"]})");
}

}  // namespace
}  // namespace grip
