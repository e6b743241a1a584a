// The report: what makeReport finds in a fit, and the exact text, CSV and
// JSON the writers make of a report.

#include <gtest/gtest.h>

#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <limits>

#include <nlohmann/json.hpp>

#include "DecimalCommaLocale.h"
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
  report.search.localSearches = {{1, false, SearchMethod::sbplx, 600, 1.5, StopReason::budget},
                                 {2, false, SearchMethod::sbplx, 0, std::numeric_limits<double>::infinity(),
                                  StopReason::stopped},
                                 {3, true, SearchMethod::sbplx, 634, 1.25, StopReason::targetTolerance}};
  report.search.messages = {{" no convergence\n", 3}, {"no line end", 1}};
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
            "on a bound: cx0 (upper)\n"
            "\n"
            "  no. kind     method      evaluations  target[%]  stopped by\n"
            "    1 start    sbplx               600    1.500000  budget\n"
            "    2 start    sbplx                 0           -  stopped\n"
            "    3 restart  sbplx               634    1.250000  target tolerance\n"
            "\n"
            "message (3 times):  no convergence\n"
            "message (1 times): no line end\n");
}

TEST(ReportWriters, UncertaintyColumnsFollowTheBoundAndItsNotesTheTable) {
  FitReport report = handMadeReport();
  DesignUncertainty u;
  const double none = std::nan("");
  u.variables = {
      {"cx0", 0, 0.09, 0.03, 0.09, none, none, none, false, 1, "on its upper bound"},
      {"MzScaleP", 20, 1.1, 0.5, 1.5, 0.05, 1.0, 1.2, false, 0, "its 95 % interval spans 20 % of its bounds"}};
  u.correlationNames = {"MzScaleP"};
  u.correlation = {1.0};
  u.undetermined = {"MzScaleP is not determined by these data (its 95 % interval spans 20 % of its bounds): more data"};
  u.residualCount = 6;
  u.degreesOfFreedom = 5;
  u.residualSpread = 0.25;
  report.uncertainty = u;
  const std::string designTable =
      "\n"
      "variable          start          value          lower          upper  bound      std.error          low95"
      "         high95  determined\n"
      "cx0       +7.200000e-02  +9.000000e-02  +3.000000e-02  +9.000000e-02  upper              -              -"
      "              -  no (bound)\n"
      "MzScaleP  +1.200000e+00  +1.100000e+00  +5.000000e-01  +1.500000e+00         +5.000000e-02  +1.000000e+00"
      "  +1.200000e+00  no\n"
      "on a bound: cx0 (upper)\n"
      "uncertainty  from 6 residuals, 5 degrees of freedom, spread 0.25 %; intervals: 95 %, none on a bound\n"
      "not determined: MzScaleP is not determined by these data (its 95 % interval spans 20 % of its bounds): more "
      "data\n"
      "\n"
      "  no. kind";
  const auto tableOf = [](const std::string& text) {
    const std::size_t from = text.find("\nvariable");
    return from == std::string::npos ? text : text.substr(from, text.find("  no. kind") + 10 - from);
  };
  EXPECT_EQ(tableOf(written(writeReportText, report)), designTable);
  // A host's decimal comma changes no byte of the report.
  test::DecimalCommaLocale german;
  ASSERT_TRUE(german.active()) << german.fault();
  EXPECT_EQ(tableOf(written(writeReportText, report)), designTable);
  EXPECT_EQ(written(writeReportCsv, report).substr(0, 5), "file,");
  EXPECT_NE(written(writeReportCsv, report).find("\nMzScaleP,1.2,1.1,0.5,1.5,\n"), std::string::npos);
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

/// The JSON as Python's json module reads it (strict UTF-8), written back
/// compact: every real as the shortest text of the double it read.
std::string readByPython(const std::string& json) {
  test::TempDir dir;
  dir.write("FitReport.json", json);
  const std::string command = "/usr/bin/python3 -c 'import json, sys; "
                              "print(json.dumps(json.load(open(sys.argv[1], encoding=\"utf-8\"))))' '" +
                              (dir.path() / "FitReport.json").string() + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "no python";
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  const int status = pclose(pipe);
  return status == 0 ? text : "python failed: " + text;
}

TEST(ReportWriters, JsonReadsBackWithTheSameDoublesAndValidUtf8) {
  FitReport report = handMadeReport();
  report.channels.resize(1);
  report.channels[0].file = "m\xe9sure \"q\"\t.dat";  // Latin-1 bytes, a quote, a tab
  report.channels[0].meanError = 0.1 + 0.2;           // ten digits would read back as 0.3
  report.channels[0].rmsError = 5e-324;
  report.channels[0].measuredPeak = 1.7976931348623157e308;
  report.channels[0].modelPeak = -0.0;
  report.design.resize(1);
  report.design[0].value = 1.0 / 3.0;
  report.target = std::nan("");
  report.search.interrupted = true;
  report.search.messagesNotKept = 2;
  EXPECT_EQ(readByPython(written(writeReportJson, report)),
            "{\"target\": null, \"points\": 3, \"moment_lever_mm\": 500.0, "
            "\"search\": {\"method\": \"sbplx\", \"starts\": 5, \"evaluations\": 1234, \"seconds\": 0.5, "
            "\"interrupted\": true, \"local_searches\": ["
            "{\"index\": 1, \"restart\": false, \"method\": \"sbplx\", \"evaluations\": 600, \"target\": 1.5, "
            "\"stopped_by\": \"budget\"}, "
            "{\"index\": 2, \"restart\": false, \"method\": \"sbplx\", \"evaluations\": 0, \"target\": null, "
            "\"stopped_by\": \"stopped\"}, "
            "{\"index\": 3, \"restart\": true, \"method\": \"sbplx\", \"evaluations\": 634, \"target\": 1.25, "
            "\"stopped_by\": \"target tolerance\"}], "
            "\"messages\": [{\"text\": \" no convergence\\n\", \"count\": 3}, {\"text\": \"no line end\", \"count\": 1}], "
            "\"messages_not_kept\": 2}, "
            "\"channels\": [{\"file\": \"m\\ufffdsure \\\"q\\\"\\t.dat\", \"direction\": 1, \"channel\": \"Fx\", "
            "\"in_target\": true, \"points\": 1, \"unit\": \"N\", \"mean_error\": 0.30000000000000004, "
            "\"rms_error\": 5e-324, \"mean_error_percent\": 0.1, \"rms_error_percent\": 0.4, "
            "\"measured_peak\": 1.7976931348623157e+308, \"model_peak\": -0.0, \"target_share\": 0.75}], "
            "\"design\": [{\"name\": \"cx0\", \"start\": 0.072, \"value\": 0.3333333333333333, \"lower\": 0.03, "
            "\"upper\": 0.09, \"bound\": \"upper\"}]}\n");
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

TEST_F(ReportOfAFit, JsonCarriesTheDesignUncertaintyKeyForKey) {
  ASSERT_TRUE(initialised);
  SearchResult search;
  search.design = {0.03, 0.05, 1.0, 1.0};  // cx0 on its lower bound: no interval
  const FitReport report = makeReport(state, search);
  ASSERT_TRUE(report.uncertainty.has_value());
  const DesignUncertainty& u = *report.uncertainty;
  ASSERT_EQ(u.fault, "");
  ASSERT_EQ(u.variables.size(), 4u);
  const nlohmann::json json = nlohmann::json::parse(reportJson(report));
  const auto same = [](const nlohmann::json& value, double expected) {
    return std::isfinite(expected) ? value.is_number() && value.get<double>() == expected : value.is_null();
  };
  ASSERT_EQ(json["design"].size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) {
    const nlohmann::json& d = json["design"][k];
    const VariableUncertainty& v = u.variables[k];
    EXPECT_EQ(d["name"], v.name);
    EXPECT_TRUE(same(d["standard_error"], v.standardError)) << v.name << ' ' << d.dump();
    if (std::isfinite(v.low95)) {
      EXPECT_TRUE(same(d["interval95"][0], v.low95) && same(d["interval95"][1], v.high95)) << d.dump();
      EXPECT_LT(v.low95, v.value);
      EXPECT_GT(v.high95, v.value);
    } else {
      EXPECT_TRUE(d["interval95"].is_null()) << d.dump();
    }
    EXPECT_EQ(d["determined"], v.determined) << v.name;
    EXPECT_EQ(d["reason"], v.reason) << v.name;
  }
  EXPECT_TRUE(json["design"][0]["standard_error"].is_null());
  EXPECT_EQ(json["design"][0]["determined"], false);
  EXPECT_GT(json["design"][2]["standard_error"].get<double>(), 0.0);
  EXPECT_EQ(json["correlation"]["names"], (std::vector<std::string>{"cy0", "mue0", "MzScaleP"}));
  ASSERT_EQ(u.correlation.size(), 9u);
  for (std::size_t k = 0; k < 9; ++k) EXPECT_TRUE(same(json["correlation"]["matrix"][k / 3][k % 3], u.correlation[k]));
  EXPECT_EQ(json["correlation"]["matrix"][1][1], 1.0);
  EXPECT_EQ(json["undetermined"], u.undetermined);
  EXPECT_TRUE(same(json["residual_spread"], u.residualSpread));
}

}  // namespace
}  // namespace grip

namespace grip {
namespace {

TEST(PreparationRecord, ReadsBackAndNamesEachFault) {
  Preparation made;
  made.runs = {{"run_sae.dat", "saej670", 1229}, {"run 2.csv", "iso8855", 7}};
  made.convention = "saej670, iso8855";
  made.forced = true;
  made.warnings = {"run_sae.dat sweep fy_Fz3000_IA0.dat: one", "two"};
  const std::string good = preparationJson(made);
  struct Case {
    const char* what;
    std::string text;
    const char* fault;  // nullptr: read as made
  };
  const std::string run = R"({"file": "a", "convention": "ours", "samples": 3})";
  const auto record = [&](const std::string& files, const std::string& convention, const std::string& forced,
                          const std::string& warnings) {
    return "{\"files\": " + files + ", \"convention\": " + convention + ", \"forced\": " + forced +
           ", \"warnings\": " + warnings + "}";
  };
  const Case cases[] = {
      {"as written", good, nullptr},
      {"not JSON", "{\"files\": [", "not a JSON object"},
      {"a list", "[]", "not a JSON object"},
      {"no files", R"({"convention": "ours", "forced": false, "warnings": []})", "no list \"files\""},
      {"files a text", record("\"a\"", "\"ours\"", "false", "[]"), "no list \"files\""},
      {"convention a number", record("[]", "1", "false", "[]"), "no text \"convention\""},
      {"forced a text", record("[]", "\"ours\"", "\"yes\"", "[]"), "no true or false \"forced\""},
      {"warnings a text", record("[]", "\"ours\"", "false", "\"w\""), "no list \"warnings\""},
      {"run without samples", record(R"([{"file": "a", "convention": "ours"}])", "\"ours\"", "false", "[]"),
       "an entry of \"files\" without"},
      {"samples below zero", record(R"([{"file": "a", "convention": "ours", "samples": -3}])", "\"ours\"", "false", "[]"),
       "an entry of \"files\" without"},
      {"file a number", record(R"([{"file": 1, "convention": "ours", "samples": 3}])", "\"ours\"", "false", "[]"),
       "an entry of \"files\" without"},
      {"warning a number", record("[" + run + "]", "\"ours\"", "false", "[\"w\", 2]"),
       "an entry of \"warnings\" that is no text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    dir.write(kPreparationFile, c.text);
    const std::optional<Preparation> read = readPreparation(dir.path());
    ASSERT_TRUE(read.has_value());
    if (c.fault != nullptr) {
      EXPECT_NE(read->fault.find(dir.file(kPreparationFile) + ": " + c.fault), std::string::npos) << read->fault;
      continue;
    }
    EXPECT_EQ(read->fault, "");
    EXPECT_EQ(preparationJson(*read), good);
    ASSERT_EQ(read->runs.size(), 2u);
    EXPECT_EQ(read->runs[1].samples, 7u);
  }
  test::TempDir empty;
  EXPECT_FALSE(readPreparation(empty.path()).has_value());
}

TEST(PreparationRecord, TextReportEndsWithItsRunsAndWarnings) {
  FitReport report = handMadeReport();
  const std::string plain = reportText(report);
  report.preparation = Preparation{{{"run_sae.dat", "saej670", 1229}}, "saej670", true, {"a check", "another"}, ""};
  EXPECT_EQ(reportText(report), plain +
                                    "\nprepared by gripfit prepare (Prepare.json), from runs in saej670 axes:\n"
                                    " run_sae.dat: 1229 samples, written in saej670 axes\n"
                                    "preparation warnings (--force): 2\n"
                                    " warning (--force): a check\n"
                                    " warning (--force): another\n");
  report.preparation->warnings.clear();
  EXPECT_TRUE(reportText(report).ends_with("written in saej670 axes\npreparation warnings: none\n"));
  report.preparation->fault = "Prepare.json: not a JSON object";
  EXPECT_EQ(reportText(report), plain + "\npreparation record not read: Prepare.json: not a JSON object\n");
  const nlohmann::json json = nlohmann::json::parse(reportJson(report));
  EXPECT_EQ(json["preparation"]["fault"], "Prepare.json: not a JSON object");
  report.preparation.reset();
  EXPECT_FALSE(nlohmann::json::parse(reportJson(report)).contains("preparation"));
}

}  // namespace
}  // namespace grip
