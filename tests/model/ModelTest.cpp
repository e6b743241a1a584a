// The assembled tyre model: parameter files written as they are read, a
// model set up from values as from a file, and a header count at the edge
// of the int range.

#include <gtest/gtest.h>

#include <climits>

#include "TempDir.h"
#include "TextCompare.h"
#include "model/MakeTyreModel.h"

namespace grip {
namespace {

/// Reads a parameter file silently; the reader's result.
int readQuietly(TyreModel& model, const std::string& fileName) {
  ::testing::internal::CaptureStdout();
  const int result = model.readParameterFile(fileName, nullptr);
  ::testing::internal::GetCapturedStdout();
  return result;
}

// The examples are kept in the writer's layout, so writing what was read
// gives the file back byte for byte: names (the speed-table names of the
// discrete table law included), values, units and the model block.
TEST(ParameterFileWriter, WritesTheExamplesBackByteForByte) {
  for (const char* name : {"passenger.dat", "passenger_discrete.dat", "passenger_discrete_table.dat"}) {
    SCOPED_TRACE(name);
    const std::string source = std::string(EXAMPLES_DIR "/") + name;
    TyreModel model = makeTyreModel();
    ASSERT_EQ(readQuietly(model, source), 10);
    test::TempDir dir;
    ASSERT_TRUE(writeParameterFile(dir.file("written.dat"), model));
    EXPECT_EQ(dir.read("written.dat"), test::readFile(source));
  }
}

// Friction values the models take as magnitudes are written as magnitudes;
// a fractional model number is written as the type it selected.
TEST(ParameterFileWriter, WritesMagnitudesAndTheModelType) {
  TyreModel model = makeTyreModel();
  ASSERT_EQ(readQuietly(model, EXAMPLES_DIR "/passenger.dat"), 10);
  ParameterSet values = model.parameters;
  values[par::mue0] = -1.25;
  values[par::cy1] = -2e-7;
  ASSERT_EQ(model.setUp(values, 1.7), 0);
  test::TempDir dir;
  ASSERT_TRUE(writeParameterFile(dir.file("w.dat"), model));
  const std::string text = dir.read("w.dat");
  EXPECT_NE(text.find(" mue0     = +1.2500000000e+00      [-]\n"), std::string::npos);
  EXPECT_NE(text.find(" cy1      = -2.0000000000e-07 [1/mm^3]\n"), std::string::npos);
  EXPECT_NE(text.find("[TWGmodel]\n model    = +1.0000000000e+00 [-]\n[Eof]\n"), std::string::npos);
  EXPECT_FALSE(writeParameterFile(dir.file("no/such/folder.dat"), model));
}

// A model set up from values gives the forces of the same values read from a file.
TEST(TyreModelSetUp, FromValuesAsFromAFile) {
  for (const char* name : {"passenger.dat", "passenger_discrete.dat", "passenger_discrete_table.dat"}) {
    SCOPED_TRACE(name);
    TyreModel read = makeTyreModel();
    ASSERT_EQ(readQuietly(read, std::string(EXAMPLES_DIR "/") + name), 10);
    TyreModel built = makeTyreModel();
    ASSERT_EQ(built.setUp(read.parameters, read.modelNumber), 0);
    ASSERT_TRUE(built.variantReady());
    const OperatingPoint point{0.04, -3.0, 2.0, 4500.0, 20000.0};
    const TyreForces a = read.evaluate(point);
    const TyreForces b = built.evaluate(point);
    EXPECT_EQ(a.Fx, b.Fx);
    EXPECT_EQ(a.Fy, b.Fy);
    EXPECT_EQ(a.Mz, b.Mz);
  }
  TyreModel none = makeTyreModel();
  EXPECT_EQ(none.setUp(ParameterSet{}, 3.0), 1) << "no variant for model 3";
  EXPECT_FALSE(none.variantReady());
}

// A block count as large as an int holds, in a file that ends at the model
// block: the reader's count stays within the int range.
TEST(ParameterFileReader, HugeBlockCountBeforeTheModelBlock) {
  test::TempDir dir;
  dir.write("p.dat", "[TWGpar1] number = 99999999999\n[TWGmodel]\n");
  TyreModel model = makeTyreModel();
  EXPECT_EQ(readQuietly(model, dir.file("p.dat")), INT_MAX);
  EXPECT_FALSE(model.variantReady());
}

}  // namespace
}  // namespace grip
