#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "RigRunMaker.h"
#include "TempDir.h"
#include "rig/RigReader.h"
#include "rig/RigWriter.h"

namespace grip {
namespace {

// One state of a tyre, said in words: the wheel centre moves 3 deg to the
// right of the heading, the top of the wheel leans 2 deg to the right, the
// road pushes the tyre 1000 N to the left and 500 N forward, carries 4000 N,
// and turns its heading to the right (clockwise seen from above) with
// 20 N*m; the slip ratio is 0.05 (driving). Each row is that state in one
// convention, worked out from its axes by hand.
struct StateIn {
  SignConvention convention;
  double slipRatio, slipAngle, camber, fx, fy, fz, mz;
};

constexpr StateIn kOneState[] = {
    // ISO: x forward, y left, z up, angles counted about them.
    {SignConvention::Iso8855, 0.05, -3.0, 2.0, 500.0, 1000.0, 4000.0, -20000.0},
    // SAE: x forward, y right, z down.
    {SignConvention::SaeJ670, 0.05, 3.0, 2.0, 500.0, -1000.0, -4000.0, 20000.0},
    // Ours: y right, load positive, Fy and Mz with the sign of the slip angle.
    {SignConvention::Ours, 0.05, -3.0, 2.0, 500.0, -1000.0, 4000.0, -20000.0},
};

RigRun runOf(const StateIn& state) {
  RigRun run;
  run.convention = state.convention;
  const std::pair<Quantity, double> values[] = {
      {Quantity::SlipRatio, state.slipRatio}, {Quantity::SlipAngle, state.slipAngle}, {Quantity::Camber, state.camber},
      {Quantity::Fx, state.fx}, {Quantity::Fy, state.fy}, {Quantity::Fz, state.fz}, {Quantity::Mz, state.mz},
  };
  for (const auto& [quantity, value] : values) {
    run.channels.push_back(Channel{std::string(quantityName(quantity)), quantity, "", "", {value}});
  }
  return run;
}

TEST(SignConvention, TurnsOneStateIntoEachConvention) {
  for (const StateIn& from : kOneState) {
    for (const StateIn& to : kOneState) {
      RigRun run = runOf(from);
      changeSignConvention(run, to.convention);
      const RigRun expected = runOf(to);
      EXPECT_EQ(run.convention, to.convention);
      for (std::size_t c = 0; c < run.channels.size(); ++c) {
        EXPECT_EQ(run.channels[c].values[0], expected.channels[c].values[0])
            << run.channels[c].name << " from " << signConventionName(from.convention) << " to "
            << signConventionName(to.convention);
      }
    }
  }
}

TEST(SignConvention, NamesReadInAnyCase) {
  EXPECT_EQ(signConventionFromName("ISO"), SignConvention::Iso8855);
  EXPECT_EQ(signConventionFromName("tydex"), SignConvention::Iso8855);
  EXPECT_EQ(signConventionFromName("Sae"), SignConvention::SaeJ670);
  EXPECT_EQ(signConventionFromName("saej670"), SignConvention::SaeJ670);
  EXPECT_EQ(signConventionFromName("ours"), SignConvention::Ours);
  EXPECT_FALSE(signConventionFromName("din"));
}

// Units other than ours for every quantity, so that the round trip
// converts each one both ways.
const std::map<std::string, std::string, std::less<>> kForeignUnits{
    {"ET", "ms"},  {"V", "km/h"}, {"N", "rpm"},  {"SA", "rad"},  {"IA", "rad"}, {"SL", "%"},
    {"P", "kPa"},  {"FX", "kN"},  {"FY", "lbf"}, {"FZ", "kN"},   {"MX", "Nm"},  {"MZ", "lbf.ft"},
    {"RL", "cm"},  {"RE", "in"},  {"TSTC", "K"}, {"NOTE", "any"},
};

enum class Format { CommaBrackets, SemicolonUnitsRow, TabBrackets, BlankUnitsRow, BlankBrackets, Tydex, Mat };

bool writeAndRead(Format format, const RigRun& ours, SignConvention convention, const test::TempDir& dir,
                  RigRun& read, std::string& message) {
  RigWriteOptions write;
  write.convention = convention;
  write.units = kForeignUnits;
  write.description = "made by the round-trip test";
  RigReadOptions options;
  options.convention = convention;
  const std::string file = dir.file("run");
  std::string text;
  switch (format) {
    case Format::Mat:
      return writeMatFile(ours, write, file, message) && readMatFile(file, options, read, message);
    case Format::Tydex:
      return writeTydexText(ours, write, text, message) && writeWholeFile(file, text, message) &&
             readTydexFile(file, options, read, message);
    default:
      write.delimiter = format == Format::CommaBrackets ? ',' : format == Format::SemicolonUnitsRow ? ';'
                        : format == Format::TabBrackets                                      ? '\t'
                                                                                             : ' ';
      write.unitsRow = format == Format::SemicolonUnitsRow || format == Format::BlankUnitsRow;
      return writeDelimitedText(ours, write, text, message) && writeWholeFile(file, text, message) &&
             readDelimitedFile(file, options, read, message);
  }
}

TEST(SignConvention, EveryConventionAndFormatRoundTrips) {
  const test::TempDir dir;
  const RigRun ours = test::runOfEveryQuantity(40);
  for (const SignConvention convention : {SignConvention::Ours, SignConvention::Iso8855, SignConvention::SaeJ670}) {
    for (const Format format : {Format::CommaBrackets, Format::SemicolonUnitsRow, Format::TabBrackets,
                                Format::BlankUnitsRow, Format::BlankBrackets, Format::Tydex, Format::Mat}) {
      SCOPED_TRACE(std::string(signConventionName(convention)) + ", format " +
                   std::to_string(static_cast<int>(format)));
      RigRun read;
      std::string message;
      ASSERT_TRUE(writeAndRead(format, ours, convention, dir, read, message)) << message;
      EXPECT_EQ(read.sourceConvention, convention);
      EXPECT_EQ(read.convention, SignConvention::Ours);
      ASSERT_EQ(read.channels.size(), ours.channels.size());
      for (std::size_t c = 0; c < ours.channels.size(); ++c) {
        const Channel& expected = ours.channels[c];
        const Channel& got = read.channels[c];
        EXPECT_EQ(got.name, expected.name);
        EXPECT_EQ(got.quantity, expected.quantity) << got.name;
        EXPECT_EQ(got.fileUnit, kForeignUnits.at(got.name));
        ASSERT_EQ(got.values.size(), expected.values.size()) << got.name;
        for (std::size_t i = 0; i < got.values.size(); ++i) {
          // Two unit conversions, each one rounding of a product: 1e-12 relative.
          EXPECT_NEAR(got.values[i], expected.values[i], 1e-12 * std::fabs(expected.values[i]))
              << got.name << " sample " << i;
        }
      }
    }
  }
}

TEST(RigWriter, RefusesEachFaultNamingTheChannelOrFile) {
  const test::TempDir dir;
  RigRun run = test::runOfEveryQuantity(3);
  std::string text;
  std::string message;
  RigWriteOptions options;
  options.units = {{"FY", "kp"}};
  EXPECT_FALSE(writeDelimitedText(run, options, text, message));
  EXPECT_EQ(message, "channel FY (fy): unknown unit \"kp\"");
  options.units = {{"MZ", "N"}};
  EXPECT_FALSE(writeTydexText(run, options, text, message));
  EXPECT_EQ(message, "channel MZ (mz): unknown unit \"N\"");
  run.channels[4].values.pop_back();
  EXPECT_FALSE(writeMatFile(run, RigWriteOptions{}, dir.file("run.mat"), message));
  EXPECT_EQ(message, "channel IA has 2 values where the run has 3");
  EXPECT_FALSE(dir.exists("run.mat"));
  const std::string nowhere = dir.file("none/run.csv");
  EXPECT_FALSE(writeWholeFile(nowhere, "x", message));
  EXPECT_EQ(message, nowhere + ": cannot be written");
}

}  // namespace
}  // namespace grip
