#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "MatMaker.h"
#include "TempDir.h"
#include "rig/RigReader.h"

namespace grip {
namespace {

RigReadOptions withConvention(SignConvention convention) {
  RigReadOptions options;
  options.convention = convention;
  return options;
}

struct Expected {
  const char* name;
  Quantity quantity;
  std::vector<double> values;  ///< ours, worked out by hand
};

void expectChannels(const RigRun& run, const std::vector<Expected>& expected) {
  ASSERT_EQ(run.channels.size(), expected.size());
  for (std::size_t c = 0; c < expected.size(); ++c) {
    const Channel& channel = run.channels[c];
    EXPECT_EQ(channel.name, expected[c].name);
    EXPECT_EQ(channel.quantity, expected[c].quantity) << channel.name;
    ASSERT_EQ(channel.values.size(), expected[c].values.size()) << channel.name;
    for (std::size_t i = 0; i < channel.values.size(); ++i) {
      // One conversion of a short decimal: 1e-13 relative.
      EXPECT_NEAR(channel.values[i], expected[c].values[i], 1e-13 * std::fabs(expected[c].values[i]))
          << channel.name << " sample " << i;
    }
  }
}

TEST(DelimitedReader, ReadsNamesAndUnitsRowsBelowADescription) {
  // Consortium layout: a description, a names row, a units row, blanks between.
  const std::string text =
      "Run 12: passenger tyre, cornering at two loads\n"
      "ET V N SA IA SL P FX FY FZ MZ RL TSTC\n"
      "s kph rpm deg deg none kPa N N N N-m cm degC\n"
      "0.00 36 300 -2 1 0.01 250 10 -300 -4000 2.5 29.5 40\n"
      "\n"
      "  0.01   72 600  4 -1 -0.02 200 -20 600 -2000 -5 30 41\n";
  RigRun run;
  std::string message;
  ASSERT_TRUE(readDelimitedText(text, "run12.dat", withConvention(SignConvention::SaeJ670), run, message)) << message;
  EXPECT_EQ(run.fileName, "run12.dat");
  EXPECT_EQ(run.sourceConvention, SignConvention::SaeJ670);
  // SAE into ours: slip angle, Fz and Mz turn round.
  expectChannels(run, {{"ET", Quantity::Time, {0.0, 0.01}},
                       {"V", Quantity::Speed, {10000.0, 20000.0}},
                       {"N", Quantity::WheelSpeed, {10.0 * M_PI, 20.0 * M_PI}},
                       {"SA", Quantity::SlipAngle, {2.0, -4.0}},
                       {"IA", Quantity::Camber, {1.0, -1.0}},
                       {"SL", Quantity::SlipRatio, {0.01, -0.02}},
                       {"P", Quantity::Pressure, {0.25, 0.2}},
                       {"FX", Quantity::Fx, {10.0, -20.0}},
                       {"FY", Quantity::Fy, {-300.0, 600.0}},
                       {"FZ", Quantity::Fz, {4000.0, 2000.0}},
                       {"MZ", Quantity::Mz, {-2500.0, 5000.0}},
                       {"RL", Quantity::LoadedRadius, {295.0, 300.0}},
                       {"TSTC", Quantity::Temperature, {40.0, 41.0}}});
  EXPECT_EQ(run.find(Quantity::Mz)->fileUnit, "N-m");
  EXPECT_EQ(run.find(Quantity::Mz)->unit, "N-m");
}

TEST(DelimitedReader, ReadsNameWithUnitHeadersInEverySeparator) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"comma", "# exported\nET [s],SA [deg],FZ [kN]\n0,1.5,4\n0.01,-2,4.5\n"},
      {"semicolon, quoted", "\"ET [s]\";\"SA [deg]\";\"FZ [kN]\"\n0;1.5;4\n0.01;-2;4.5\n"},
      {"tab, Windows line ends", "export of run 3\r\nET [s]\tSA [deg]\tFZ [kN]\r\n0\t1.5\t4\r\n0.01\t-2\t4.5\r\n"},
      {"blanks, unit with a blank", "ET [s]  SA [ deg ]  FZ [kN]\n 0 1.5 4\n0.01 -2 4.5"},
      {"units row, some in brackets", "ET, SA, FZ\n[s], [deg], kN\n0, 1.5, 4\n0.01,-2,4.5\n"},
  };
  for (const Case& c : cases) {
    RigRun run;
    std::string message;
    ASSERT_TRUE(readDelimitedText(c.text, "f", withConvention(SignConvention::Ours), run, message))
        << c.what << ": " << message;
    SCOPED_TRACE(c.what);
    expectChannels(run, {{"ET", Quantity::Time, {0.0, 0.01}},
                         {"SA", Quantity::SlipAngle, {1.5, -2.0}},
                         {"FZ", Quantity::Fz, {4000.0, 4500.0}}});
  }
}

TEST(DelimitedReader, ReadsEveryDecimalAsFromCharsDoes) {
  // Decimals of 1 to 17 digits with the point anywhere, signs, exponents:
  // the reader's fast path for plain decimals must give the same doubles.
  std::mt19937_64 random(7);
  std::string text = "X\n-\n";
  std::vector<std::string> numbers;
  for (int k = 0; k < 20000; ++k) {
    std::string number = random() % 2 ? "-" : "";
    const int digits = 1 + static_cast<int>(random() % 17);
    const int point = static_cast<int>(random() % (digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point && d > 0) number += '.';
      number += static_cast<char>('0' + random() % 10);
    }
    if (k % 10 == 0) number += "e" + std::to_string(static_cast<int>(random() % 40) - 20);
    numbers.push_back(number);
    text += number + "\n";
  }
  RigRun run;
  std::string message;
  ASSERT_TRUE(readDelimitedText(text, "f", withConvention(SignConvention::Ours), run, message)) << message;
  ASSERT_EQ(run.samples(), numbers.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    double expected = 0.0;
    std::from_chars(numbers[i].data(), numbers[i].data() + numbers[i].size(), expected);
    ASSERT_EQ(run.channels[0].values[i], expected) << numbers[i];
  }
}

TEST(DelimitedReader, TakesTheCallersNamesLinesUnitsAndChannels) {
  // The line before the names has as many words as there are channels: the
  // caller says where the header is.
  const std::string text = "load sweep\nTIME ALPHA_DEG LOAD\n0 1 3\n";
  RigReadOptions options = withConvention(SignConvention::Iso8855);
  options.namesLine = 2;
  options.unitsLine = -1;
  std::string message;
  ASSERT_TRUE(options.channels.parse("time=TIME slip_angle=ALPHA_DEG fz=LOAD", message)) << message;
  options.units = {{"TIME", "s"}, {"ALPHA_DEG", "rad"}, {"LOAD", "kN"}};
  RigRun run;
  ASSERT_TRUE(readDelimitedText(text, "f", options, run, message)) << message;
  expectChannels(run, {{"TIME", Quantity::Time, {0.0}},
                       {"ALPHA_DEG", Quantity::SlipAngle, {180.0 / M_PI}},
                       {"LOAD", Quantity::Fz, {3000.0}}});
  EXPECT_EQ(run.find(Quantity::SlipAngle)->fileUnit, "");
  EXPECT_EQ(run.find(Quantity::SlipAngle)->unit, "rad");

  // Given the names line alone, a units row below it is still found.
  options = withConvention(SignConvention::Iso8855);
  options.namesLine = 2;
  ASSERT_TRUE(readDelimitedText("load sweep\nET SA FZ\ns deg kN\n0 1 3\n", "f", options, run, message)) << message;
  expectChannels(run, {{"ET", Quantity::Time, {0.0}}, {"SA", Quantity::SlipAngle, {1.0}}, {"FZ", Quantity::Fz, {3000.0}}});
}

TEST(TydexReader, AppliesFactorAndOffsetAndKeepsTheHeader) {
  const std::string text =
      "**HEADER\n"
      "RELEASE   Release of TYDEX-Format             1.3\n"
      "**COMMENTS\n"
      "anything at all\n"
      "**CONSTANTS\n"
      "NOMPRES   Nominal pressure                  kPa       220\n"
      "**MEASURCHANNELS\n"
      "RUNTIME   Time                              s         1         0         0\n"
      "SLIPANGL  Slip angle                        deg       0.1       0\n"
      "LONGSLIP  Longitudinal slip                 1\n"
      "FYW       Lateral force                     kN        1         0.5       0\n"
      "FZW       Vertical force                    N\n"
      "MZW       Aligning moment                   Nm        1         0         0\n"
      "**MODELDEFINITION\n"
      "SKIPPED   passed over\n"
      "**MEASURDATA\n"
      "0 20 0.1 -1 4000 10\n"
      "0.01 -40 -0.1 1.5 3000 -20\n"
      "**END\n";
  RigRun run;
  std::string message;
  ASSERT_TRUE(readTydexText(text, "t.tdx", RigReadOptions{}, run, message)) << message;
  EXPECT_EQ(run.sourceConvention, SignConvention::Iso8855);
  // ISO into ours: Fy turns round.
  expectChannels(run, {{"RUNTIME", Quantity::Time, {0.0, 0.01}},
                       {"SLIPANGL", Quantity::SlipAngle, {2.0, -4.0}},
                       {"LONGSLIP", Quantity::SlipRatio, {0.1, -0.1}},
                       {"FYW", Quantity::Fy, {500.0, -2000.0}},
                       {"FZW", Quantity::Fz, {4000.0, 3000.0}},
                       {"MZW", Quantity::Mz, {10000.0, -20000.0}}});
  ASSERT_EQ(run.metadata.size(), 2u);
  EXPECT_EQ(run.metadata[0], (std::pair<std::string, std::string>{"RELEASE", "Release of TYDEX-Format             1.3"}));
  EXPECT_EQ(run.metadata[1], (std::pair<std::string, std::string>{"NOMPRES", "Nominal pressure                  kPa       220"}));
}

TEST(MatReader, ReadsUnitsOfEitherLayoutAndIntegerChannels) {
  const test::TempDir dir;
  const std::string file = dir.file("run.mat");
  {
    test::MatMaker m(file);
    m.column("ET", {0.0, 0.01});
    m.text("ET_unit", "s");
    m.shorts("SA", {3, -6});
    m.column("FY", {1.5, -2.0});
    m.column("MZ", {20.0, -40.0});
    m.column("PRES", {220.0, 230.0});
    m.numbers("RUN", {12.0}, 1, 1);
    m.text("operator", "someone");
    m.unitsStruct({{"SA", "deg"}, {"FY", "kN"}, {"MZ", "N\xC2\xB7m"}});
  }
  RigReadOptions options = withConvention(SignConvention::SaeJ670);
  std::string message;
  ASSERT_TRUE(options.channels.parse("pressure=PRES", message));
  options.units = {{"PRES", "kPa"}};
  RigRun run;
  ASSERT_TRUE(readMatFile(file, options, run, message)) << message;
  expectChannels(run, {{"ET", Quantity::Time, {0.0, 0.01}},
                       {"SA", Quantity::SlipAngle, {-3.0, 6.0}},
                       {"FY", Quantity::Fy, {1500.0, -2000.0}},
                       {"MZ", Quantity::Mz, {-20000.0, 40000.0}},
                       {"PRES", Quantity::Pressure, {0.22, 0.23}}});
  ASSERT_EQ(run.metadata.size(), 1u);
  EXPECT_EQ(run.metadata[0], (std::pair<std::string, std::string>{"RUN", "12"}));
}

}  // namespace
}  // namespace grip

namespace grip {
namespace {

struct ExampleRuns {
  RigRun sae, iso, tydex, mat;
};

ExampleRuns readExamples() {
  const std::string dir = std::string(EXAMPLES_DIR) + "/rig/";
  ExampleRuns runs;
  std::string message;
  // readRigFile chooses the reader by the file's extension.
  EXPECT_TRUE(readRigFile(dir + "run_sae.dat", withConvention(SignConvention::SaeJ670), runs.sae, message))
      << message;
  EXPECT_TRUE(readRigFile(dir + "run_iso.csv", withConvention(SignConvention::Iso8855), runs.iso, message))
      << message;
  EXPECT_TRUE(readRigFile(dir + "run.tdx", RigReadOptions{}, runs.tydex, message)) << message;
  EXPECT_TRUE(readRigFile(dir + "run_sae.mat", withConvention(SignConvention::SaeJ670), runs.mat, message))
      << message;
  return runs;
}

constexpr Quantity kSharedQuantities[] = {Quantity::Time, Quantity::Speed, Quantity::SlipAngle, Quantity::Camber,
                                          Quantity::SlipRatio, Quantity::Fx, Quantity::Fy, Quantity::Fz,
                                          Quantity::Mx, Quantity::Mz};

void expectSameRun(const RigRun& expected, const RigRun& got, double relative, double absolute) {
  ASSERT_EQ(got.samples(), expected.samples());
  ASSERT_GT(got.samples(), 1000u);
  for (const Quantity quantity : kSharedQuantities) {
    const Channel* a = expected.find(quantity);
    const Channel* b = got.find(quantity);
    ASSERT_TRUE(a != nullptr && b != nullptr) << quantityName(quantity);
    for (std::size_t i = 0; i < a->values.size(); ++i) {
      ASSERT_NEAR(b->values[i], a->values[i], relative * std::fabs(a->values[i]) + absolute)
          << quantityName(quantity) << " sample " << i;
    }
  }
}

TEST(RigExamples, EveryFormatAndConventionGivesTheSameRun) {
  const ExampleRuns runs = readExamples();
  // The same six digits, with the signs of the other axes: equal.
  expectSameRun(runs.iso, runs.sae, 0.0, 0.0);
  // TYDEX stores the load in 0.1 N: one rounding of the product.
  expectSameRun(runs.iso, runs.tydex, 1e-15, 0.0);
  // Single precision against six digits (5e-6 relative at most), 1e-9 at zero.
  expectSameRun(runs.sae, runs.mat, 1e-5, 1e-9);
}

TEST(RigExamples, ReadInOurConventionTheForcesHaveOurSigns) {
  const RigRun run = readExamples().sae;
  const std::vector<double>& alpha = run.find(Quantity::SlipAngle)->values;
  const std::vector<double>& camber = run.find(Quantity::Camber)->values;
  const std::vector<double>& slip = run.find(Quantity::SlipRatio)->values;
  const std::vector<double>& fx = run.find(Quantity::Fx)->values;
  const std::vector<double>& fy = run.find(Quantity::Fy)->values;
  const std::vector<double>& fz = run.find(Quantity::Fz)->values;
  const std::vector<double>& mz = run.find(Quantity::Mz)->values;
  double camberedFy = 0.0, uprightFy = 0.0;
  int cambered = 0, upright = 0, sweeps = 0, slipRun = 0;
  for (std::size_t i = 0; i < run.samples(); ++i) {
    EXPECT_GT(fz[i], 0.0) << i;
    const double a = std::fabs(alpha[i]);
    if (camber[i] == 0.0 && a > 3.0) {  // the relaxation lag is below 1 deg
      EXPECT_EQ(std::signbit(fy[i]), std::signbit(alpha[i])) << "Fy at sample " << i;
      ++sweeps;
    }
    if (camber[i] == 0.0 && a > 2.0 && a < 4.0) {
      EXPECT_EQ(std::signbit(mz[i]), std::signbit(alpha[i])) << "Mz at sample " << i;
    }
    if (std::fabs(slip[i]) > 0.03) {
      EXPECT_EQ(std::signbit(fx[i]), std::signbit(slip[i])) << "Fx at sample " << i;
      ++slipRun;
    }
    if (std::fabs(fz[i] - 5000.0) < 200.0 && slip[i] == 0.0) {
      (camber[i] == 3.0 ? camberedFy : uprightFy) += fy[i];
      ++(camber[i] == 3.0 ? cambered : upright);
    }
  }
  EXPECT_GT(sweeps, 250);
  EXPECT_GT(slipRun, 100);
  ASSERT_GT(cambered, 200);
  ASSERT_GT(upright, 200);
  // The generator's camber thrust: 55 N/deg at 4 kN, 3 deg at 5 kN, toward
  // the lean, which is +y in ours; the noise of 50 N averages to a few N.
  EXPECT_NEAR(camberedFy / cambered - uprightFy / upright, 55.0 * 3.0 * 5000.0 / 4000.0, 15.0);
}

}  // namespace
}  // namespace grip
