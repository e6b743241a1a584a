// The variants' descriptions of their parameters against what the models
// do with them, and the texts that are made from the descriptions.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "model/MakeTyreModel.h"

namespace grip {
namespace {

/// Operating points on both sides of every friction pair, sliding and
/// sticking, with camber of both signs.
constexpr std::array<OperatingPoint, 5> kPoints = {{{0.1, 8.0, 3.0, 4000.0, 20000.0},
                                                    {-0.1, -8.0, -3.0, 5000.0, 15000.0},
                                                    {0.005, 0.5, 0.0, 3000.0, 25000.0},
                                                    {-0.02, 3.0, 1.0, 4500.0, 20000.0},
                                                    {0.01, -2.0, -1.0, 4000.0, 20000.0}}};

/// An example tyre, its crown exponent changed where ny is not 0.
struct Tyre {
  const char* file;
  double ny = 0.0;
};

/// The example tyres of each model: between them the discrete ones use the
/// direction and the speed-table friction law and the geometric pressure
/// with an even and an odd crown exponent.
struct ExampleTyres {
  int modelType;
  std::vector<Tyre> tyres;
};
const std::array<ExampleTyres, 2> kTyres = {
    {{kContinuousModel, {{"passenger.dat"}}},
     {kDiscreteModel, {{"passenger_discrete.dat"}, {"passenger_discrete_table.dat", 5.0}}}}};

ParameterSet exampleParameters(const Tyre& tyre) {
  TyreModel model = makeTyreModel();
  ::testing::internal::CaptureStdout();
  model.readParameterFile(std::string(EXAMPLES_DIR "/") + tyre.file, nullptr);
  ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(model.variantReady()) << tyre.file;
  if (tyre.ny != 0.0) model.parameters[par::ny] = tyre.ny;
  return model.parameters;
}

/// Forces at kPoints of a model as it is.
std::vector<double> evaluated(TyreModel& model) {
  std::vector<double> forces;
  for (const OperatingPoint& point : kPoints) {
    const TyreForces f = model.evaluate(point);
    forces.insert(forces.end(), {f.Fx, f.Fy, f.Mz});
  }
  return forces;
}

/// Forces at kPoints of a model set up fresh from values; empty when the set-up fails.
std::vector<double> forcesOf(const ParameterSet& values, int modelType) {
  TyreModel model = makeTyreModel();
  ::testing::internal::CaptureStdout();  // set-up codes and warnings of odd crowns
  std::vector<double> forces;
  if (model.setUp(values, modelType) == 0) {
    model.setTrace(0, nullptr);
    forces = evaluated(model);
  }
  ::testing::internal::GetCapturedStdout();
  return forces;
}

/// Forces bit for bit equal (a force that is no number equals no other).
bool same(const std::vector<double>& a, const std::vector<double>& b) { return !a.empty() && a == b; }

/// Another value of the same kind: a whole number one lower, else a quarter more (or 1e-3 for 0).
double changed(const ParameterDescription& described, double value) {
  if (described.wholeNumber) return value - 1.0;
  return value == 0.0 ? 1e-3 : value * 1.25;
}

using ValueEdit = std::function<double(double)>;

/// True when parameter at base(value) and at edit(base(value)) gives other
/// forces for some example tyre of the model.
bool movesTheForces(int modelType, std::size_t parameter, const ValueEdit& edit,
                    const ValueEdit& base = [](double v) { return v; }) {
  for (const Tyre& tyre : kTyres[static_cast<std::size_t>(modelType - 1)].tyres) {
    ParameterSet values = exampleParameters(tyre);
    values[parameter] = base(values[parameter]);
    ParameterSet edited = values;
    edited[parameter] = edit(values[parameter]);
    if (!same(forcesOf(values, modelType), forcesOf(edited, modelType))) return true;
  }
  return false;
}

// A parameter a model reads moves some force of its example tyres when it
// changes; one it does not read leaves every force as it was. A magnitude's
// sign does not matter, while every other value the model reads (not a
// count) moves the forces when its sign turns. A whole number's fraction
// does not matter.
TEST(VariantDescription, ReadMagnitudeAndWholeNumberAsTheModelsBehave) {
  for (const ExampleTyres& tyres : kTyres) {
    const VariantDescription& description = *variantDescription(tyres.modelType);
    for (std::size_t p = 0; p < kParameterCount; ++p) {
      const ParameterDescription& d = description.parameters[p];
      SCOPED_TRACE(std::string(description.name) + " " + d.name);
      EXPECT_EQ(movesTheForces(tyres.modelType, p, [&d](double v) { return changed(d, v); }), d.read);
      if (d.read && !d.wholeNumber) {
        const auto notZero = [](double v) { return v == 0.0 ? 1e-3 : v; };
        EXPECT_EQ(movesTheForces(tyres.modelType, p, [](double v) { return -v; }, notZero), !d.magnitude);
      }
      if (d.wholeNumber) {
        EXPECT_FALSE(movesTheForces(tyres.modelType, p, [](double v) { return v + 0.7; }));
      }
    }
  }
}

// A parameter fixed at set-up is the one a refresh cannot reach: a larger
// value refreshed gives other forces than a set-up with it, while every
// other parameter the model reads is refreshed as a set-up takes it.
TEST(VariantDescription, FixedAtSetUpIsWhatARefreshCannotChange) {
  for (const ExampleTyres& tyres : kTyres) {
    const VariantDescription& description = *variantDescription(tyres.modelType);
    for (std::size_t p = 0; p < kParameterCount; ++p) {
      const ParameterDescription& d = description.parameters[p];
      if (!d.read) continue;
      SCOPED_TRACE(std::string(description.name) + " " + d.name);
      bool refreshedAsSetUp = true;
      for (const Tyre& tyre : tyres.tyres) {
        const ParameterSet values = exampleParameters(tyre);
        ParameterSet edited = values;
        edited[p] = d.wholeNumber ? values[p] + 5.0 : changed(d, values[p]);  // a larger count
        TyreModel model = makeTyreModel();
        ::testing::internal::CaptureStdout();
        const int code = model.setUp(values, tyres.modelType);
        model.setTrace(0, nullptr);
        model.parameters = edited;
        model.refreshVariant();
        const std::vector<double> refreshed = evaluated(model);
        ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(code, 0);
        refreshedAsSetUp = refreshedAsSetUp && same(refreshed, forcesOf(edited, tyres.modelType));
      }
      EXPECT_EQ(refreshedAsSetUp, !d.fixedAtSetUp);
    }
  }
}

// What the fit relies on: a parameter fixed at set-up is a whole number (so
// the validation refuses it whatever the route), a recommended design
// variable is read and no whole number, and the search defaults give at
// least one start and evaluation.
TEST(VariantDescription, FixedAreWholeNumbersAndRecommendedBoundsAreOnReadValues) {
  for (int type : {kContinuousModel, kDiscreteModel}) {
    const VariantDescription& description = *variantDescription(type);
    EXPECT_EQ(&description, &makeTyreModel().variant(type)->description());
    for (const ParameterDescription& d : description.parameters) {
      SCOPED_TRACE(std::string(description.name) + " " + d.name);
      EXPECT_TRUE(!d.fixedAtSetUp || d.wholeNumber);
      EXPECT_TRUE(!d.bounds.recommended() || (d.read && !d.wholeNumber));
    }
    const SearchDefaults& s = description.search;
    EXPECT_GE(s.fewestStarts, 1);
    EXPECT_LE(s.fewestStarts, s.mostStarts);
    EXPECT_GE(s.designVariablesPerStart, 1);
    EXPECT_GE(s.evaluationsPerVariable, 1);
  }
  EXPECT_EQ(variantDescription(kNoModel), nullptr);
  EXPECT_EQ(variantDescription(3), nullptr);
}

/// The names of the parameters that pass, in backquotes; "–" for none.
template <typename Test>
std::string names(const VariantDescription& description, Test test, bool withCount) {
  std::string text;
  int count = 0;
  for (const ParameterDescription& d : description.parameters) {
    if (!test(d)) continue;
    text += (text.empty() ? "`" : " ") + std::string(d.name);
    ++count;
  }
  if (text.empty()) return "–";
  return text + "`" + (withCount ? " (" + std::to_string(count) + ")" : "");
}

// The README's table of what each model reads is the descriptions' word.
TEST(VariantDescription, ReadmeTableSaysWhatEachModelReads) {
  const std::string readme = test::readFile(README_FILE);
  for (int type : {kContinuousModel, kDiscreteModel}) {
    const VariantDescription& description = *variantDescription(type);
    const std::string row =
        "| " + std::to_string(type) + " " + description.name + " | " +
        names(description, [](const ParameterDescription& d) { return d.read; }, true) + " | " +
        names(description, [](const ParameterDescription& d) { return !d.read; }, false) + " | " +
        names(description, [](const ParameterDescription& d) { return d.magnitude; }, false) + " | " +
        names(description, [](const ParameterDescription& d) { return d.wholeNumber; }, false) + " | " +
        names(description, [](const ParameterDescription& d) { return d.fixedAtSetUp; }, false) + " |\n";
    EXPECT_NE(readme.find(row), std::string::npos) << row;
  }
}

// Each example design start carries the units its model's description gives.
TEST(VariantDescription, ExampleDesignStartsCarryTheDescribedUnits) {
  for (const char* file : {"fit/DesignStart.dat", "fit/passenger/DesignStart.dat"}) {
    SCOPED_TRACE(file);
    std::istringstream lines(test::readFile(std::string(EXAMPLES_DIR "/") + file));
    const VariantDescription& description = *variantDescription(kContinuousModel);
    std::size_t parameter = 0;
    for (std::string line; std::getline(lines, line) && parameter < kParameterCount;) {
      if (line.empty() || line[0] != ' ') continue;
      const ParameterDescription& d = description.parameters[parameter++];
      EXPECT_EQ(line.substr(0, line.find(' ', 1)), std::string(" ") + d.name);
      EXPECT_NE(line.find(std::string(" [") + d.unit + "]"), std::string::npos) << line;
    }
    EXPECT_EQ(parameter, kParameterCount);
  }
}

}  // namespace
}  // namespace grip
