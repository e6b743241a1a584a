// The report: what makeReport finds in a fit, and the exact text, CSV and
// JSON the writers make of a report.

#include <gtest/gtest.h>

#include <cstdio>
#include <cmath>
#include <cstdlib>

#include "FitFolder.h"
#include "core/Console.h"
#include "fit/Report.h"

namespace grip {
namespace {

std::string written(void (*writer)(std::FILE*, const FitReport&), const FitReport& report) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* file = open_memstream(&buffer, &size);
  writer(file, report);
  std::fclose(file);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

/// A report of two files as a fit of examples/fit might end.
FitReport handMadeReport() {
  FitReport report;
  report.target = 1.25;
  report.points = 3;
  report.search.method = SearchMethod::sbplx;
  report.search.startsDone = 5;
  report.search.evaluations = 1234;
  report.search.seconds = 0.5;
  report.channels = {
      {"slip.dat", 1, "Fx", 1, 2.5, 10.0, 0.1, 0.4, 2900.0, 2890.5, true, 0.75},
      {"slip.dat", 1, "Fy", 1, 0.0, 0.0, 0.0, 0.0, 96.9, 96.9, false, 0.0},
      {"slip.dat", 1, "Mz", 1, -50.0, 60.0, -0.002, 0.003, 2677.0, 2600.0, false, 0.0},
      {"a,b.dat", 3, "Fx", 2, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, false, 0.0},
      {"a,b.dat", 3, "Fy", 2, -20.0, 25.0, -0.5, 0.6, 3925.0, 3900.0, true, 0.4},
      {"a,b.dat", 3, "Mz", 2, 1000.0, 1500.0, 0.05, 0.075, 42543.0, 46645.0, true, 0.1},
  };
  report.design = {{"cx0", 0.072, 0.09, 0.03, 0.09, 1}, {"MzScaleP", 1.2, 1.1, 0.5, 1.5, 0}};
  return report;
}

TEST(ReportWriters, TextTableIsAligned) {
  EXPECT_EQ(written(writeReportText, handMadeReport()),
            "target  1.250000 %  mean over 3 points of |model - measured| / Fz; Mz counts as its error over 500 Fz\n"
            "search  sbplx, 5 starts, 1234 evaluations, 0.50 s\n"
            "\n"
            "file     dir channel points  mean[%Fz]   rms[%Fz]      mean       rms  meas.peak model.peak unit  share[%pt]\n"
            "slip.dat   1 Fx *         1      0.100      0.400       2.5      10.0     2900.0     2890.5 N        0.7500\n"
            "slip.dat   1 Fy           1      0.000      0.000       0.0       0.0       96.9       96.9 N\n"
            "slip.dat   1 Mz           1     -0.002      0.003     -50.0      60.0     2677.0     2600.0 N*mm\n"
            "a,b.dat    3 Fx           2      0.000      0.000       0.0       0.0        0.0        0.0 N\n"
            "a,b.dat    3 Fy *         2     -0.500      0.600     -20.0      25.0     3925.0     3900.0 N        0.4000\n"
            "a,b.dat    3 Mz *         2      0.050      0.075    1000.0    1500.0    42543.0    46645.0 N*mm     0.1000\n"
            "(* counts in the target; share: its part of the target value [%-points])\n"
            "\n"
            "variable          start          value          lower          upper  bound\n"
            "cx0       +7.200000e-02  +9.000000e-02  +3.000000e-02  +9.000000e-02  upper\n"
            "MzScaleP  +1.200000e+00  +1.100000e+00  +5.000000e-01  +1.500000e+00\n"
            "on a bound: cx0 (upper)\n");
}

TEST(ReportWriters, CsvQuotesFieldsWithCommas) {
  EXPECT_EQ(written(writeReportCsv, handMadeReport()),
            "file,direction,channel,in_target,points,mean_error,rms_error,mean_error_percent,rms_error_percent,"
            "measured_peak,model_peak,unit,target_share\n"
            "slip.dat,1,Fx,1,1,2.5,10,0.1,0.4,2900,2890.5,N,0.75\n"
            "slip.dat,1,Fy,0,1,0,0,0,0,96.9,96.9,N,0\n"
            "slip.dat,1,Mz,0,1,-50,60,-0.002,0.003,2677,2600,N*mm,0\n"
            "\"a,b.dat\",3,Fx,0,2,0,0,0,0,0,0,N,0\n"
            "\"a,b.dat\",3,Fy,1,2,-20,25,-0.5,0.6,3925,3900,N,0.4\n"
            "\"a,b.dat\",3,Mz,1,2,1000,1500,0.05,0.075,42543,46645,N*mm,0.1\n"
            "\n"
            "variable,start,value,lower,upper,bound\n"
            "cx0,0.072,0.09,0.03,0.09,upper\n"
            "MzScaleP,1.2,1.1,0.5,1.5,\n");
}

TEST(ReportWriters, JsonHoldsEveryFieldAndNullForNoNumber) {
  FitReport report = handMadeReport();
  report.channels.resize(1);
  report.channels[0].file = "q\"uote.dat";
  report.design.resize(1);
  report.target = std::nan("");
  report.search.interrupted = true;
  EXPECT_EQ(written(writeReportJson, report),
            "{\n  \"target\": null,\n  \"points\": 3,\n  \"moment_lever_mm\": 500,\n"
            "  \"search\": {\"method\": \"sbplx\", \"starts\": 5, \"evaluations\": 1234, \"seconds\": 0.5, "
            "\"interrupted\": true},\n"
            "  \"channels\": [\n"
            "    {\"file\": \"q\\\"uote.dat\", \"direction\": 1, \"channel\": \"Fx\", \"in_target\": true, \"points\": 1, "
            "\"unit\": \"N\", \"mean_error\": 2.5, \"rms_error\": 10, \"mean_error_percent\": 0.1, "
            "\"rms_error_percent\": 0.4, \"measured_peak\": 2900, \"model_peak\": 2890.5, \"target_share\": 0.75}\n"
            "  ],\n"
            "  \"design\": [\n"
            "    {\"name\": \"cx0\", \"start\": 0.072, \"value\": 0.09, \"lower\": 0.03, \"upper\": 0.09, \"bound\": \"upper\"}\n"
            "  ]\n}\n");
}

class ReportOfAFit : public ::testing::Test {
 protected:
  ReportOfAFit() {
    test::copyFiles(EXAMPLES_DIR "/fit", dir);
    ScopedMessageSink silent([](std::string_view) {});
    initialised = initialiseDesign(state) == 0.0;
  }
  test::FitFolder dir;
  DesignState state;
  bool initialised = false;
};

TEST_F(ReportOfAFit, SharesOfTheChannelsAddUpToTheTarget) {
  ASSERT_TRUE(initialised);
  SearchResult search;
  search.design = {0.05, 0.05, 1.0, 1.0};
  const FitReport report = makeReport(state, search);
  ASSERT_EQ(report.channels.size(), 15u);  // five files, three channels each
  double shares = 0.0;
  for (const ChannelReport& c : report.channels) {
    shares += c.targetShare;
    EXPECT_EQ(c.points, 41);
    EXPECT_GE(c.rmsError, std::fabs(c.meanError));
  }
  EXPECT_NEAR(shares, report.target, 1e-12 * report.target);  // the same sum in another order
  EXPECT_EQ(report.target, state.targetValue);
  // Direction 1 counts Fx, 2 counts Fy, 3 counts Fy and Mz.
  const std::vector<bool> counted{true, false, false, true, false, false, false, true, false,
                                  false, true, false, false, true, true};
  for (std::size_t k = 0; k < counted.size(); ++k) EXPECT_EQ(report.channels[k].inTarget, counted[k]) << k;
}

TEST_F(ReportOfAFit, ModelThatMadeTheDataHasNoErrorAndDesignOnBoundsIsFlagged) {
  ASSERT_TRUE(initialised);
  SearchResult search;
  search.design = {0.06, 0.045, 1.05, 1.0};  // the tyre of examples/passenger.dat that made the data
  FitReport report = makeReport(state, search);
  for (const ChannelReport& c : report.channels) {
    // 1e-3 % of Fz: the data carry seven significant digits.
    EXPECT_LT(c.rmsErrorPercent, 1e-3) << c.file << ' ' << c.channel;
    EXPECT_NEAR(c.modelPeak, c.measuredPeak, 1e-5 * c.measuredPeak + 1e-3) << c.file << ' ' << c.channel;
  }
  search.design = {0.03, 0.07, 1.0, 1.5 - 1e-9};  // lower, upper, within, within 1e-6 of the range
  report = makeReport(state, search);
  ASSERT_EQ(report.design.size(), 4u);
  EXPECT_EQ(report.design[0].boundFlag, -1);
  EXPECT_EQ(report.design[1].boundFlag, 1);
  EXPECT_EQ(report.design[2].boundFlag, 0);
  EXPECT_EQ(report.design[3].boundFlag, 1);
  EXPECT_EQ(report.design[0].name, "cx0");
  EXPECT_EQ(report.design[3].start, 1.2);
}

}  // namespace
}  // namespace grip
