// A host that sets a decimal-comma locale (Octave, a notebook) gets the same
// parameters, measurements, messages and fit, byte for byte, as one in "C".

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DecimalCommaLocale.h"
#include "TempDir.h"
#include "core/FormatText.h"
#include "core/MeasurementLine.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"
#include "model/MakeTyreModel.h"

namespace grip {
namespace {

namespace fs = std::filesystem;

/// What the library reads and writes, taken in the locale in force.
struct Outcome {
  ParameterSet parameters{};
  std::string parameterFile;
  TyreForces forces;
  std::array<double, kPointNumbers> point{};
  std::string message;
  std::string fitOutput;  ///< console text of initialise, run and terminate
  double target = 0.0;
  std::string results;    ///< DesignResults.dat
  std::string listing;    ///< file1.dat
};

Outcome readAndWrite(const fs::path& fitCase) {
  Outcome out;
  test::TempDir dir;
  TyreModel model = makeTyreModel();
  EXPECT_EQ(model.readParameterFile(EXAMPLES_DIR "/passenger.dat", nullptr), 10);  // the last block count and one
  out.parameters = model.parameters;
  EXPECT_TRUE(writeParameterFile(dir.file("p.dat"), model));
  out.parameterFile = dir.read("p.dat");
  out.forces = model.evaluate({0.05, 2.0, 0.0, 4000.0, 20000.0});
  EXPECT_EQ(readMeasurementLine(" +5.0e-02 2.5 -0.75 100.5 -200.25 4000 1500.125\n", out.point),
            MeasurementLineKind::point);
  out.message = formatted(msg::kMeasurementNotFinite, 3, "m.dat", std::size_t{2}, 0.125);

  test::WorkingDir work;
  fs::copy(fitCase, work.path());
  std::ifstream in(fitCase / "x.txt");
  std::vector<double> x{std::istream_iterator<double>(in), std::istream_iterator<double>()};
  DesignState state;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(handleDesignCall(state, x, 0), static_cast<double>(x.size()));
  handleDesignCall(state, x, 1);
  out.target = handleDesignCall(state, x, -1);
  out.fitOutput = ::testing::internal::GetCapturedStdout();
  out.results = work.read(fit::kDesignResultsFile);
  out.listing = work.read("file1.dat");
  return out;
}

TEST(DecimalCommaLocale, GivesTheBytesAndTheTargetOfTheCLocale) {
  const fs::path fitCase = fs::path(GOLDEN_DIR "/fit") / "029_fit_cont";
  const Outcome c = readAndWrite(fitCase);
  test::DecimalCommaLocale german;
  ASSERT_TRUE(german.active()) << german.fault();
  const Outcome de = readAndWrite(fitCase);

  EXPECT_EQ(de.parameters, c.parameters);
  EXPECT_DOUBLE_EQ(c.parameters[0], 0.06) << "cx0 of the example";  // the printed value is exact to 17 digits
  EXPECT_EQ(de.parameterFile, c.parameterFile);
  EXPECT_NE(c.parameterFile.find(" cx0      = +6.0000000000e-02"), std::string::npos) << c.parameterFile;
  EXPECT_EQ(de.forces.Fx, c.forces.Fx);
  EXPECT_EQ(de.forces.Fy, c.forces.Fy);
  EXPECT_EQ(de.forces.Mz, c.forces.Mz);
  EXPECT_GT(c.forces.Fx, 0.0) << "a positive slip gives a positive Fx";
  EXPECT_EQ(de.point, c.point);
  EXPECT_EQ(c.point, (std::array<double, kPointNumbers>{0.05, 2.5, -0.75, 100.5, -200.25, 4000.0, 1500.125}));
  EXPECT_EQ(de.message, c.message);
  EXPECT_EQ(c.message, " line 3 of m.dat: number 2 (0.125) is not a finite number\n");
  EXPECT_EQ(de.fitOutput, c.fitOutput);
  EXPECT_EQ(std::memcmp(&de.target, &c.target, sizeof(double)), 0) << de.target << " against " << c.target;
  EXPECT_GT(c.target, 0.0);
  EXPECT_EQ(de.results, c.results);
  EXPECT_EQ(de.listing, c.listing);
  EXPECT_FALSE(c.listing.empty());
}

}  // namespace
}  // namespace grip
