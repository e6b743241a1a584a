#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MatMaker.h"
#include "TempDir.h"
#include "rig/RigReader.h"

namespace grip {
namespace {

struct TextFault {
  const char* what;
  std::string text;
  std::string message;
  int namesLine = 0;
  int unitsLine = 0;
};

RigReadOptions isoOptions(int namesLine = 0, int unitsLine = 0) {
  RigReadOptions options;
  options.convention = SignConvention::Iso8855;
  options.namesLine = namesLine;
  options.unitsLine = unitsLine;
  return options;
}

TEST(DelimitedReader, RefusesEachFaultWithFileAndLine) {
  const std::string three = "ET [s],SA [deg],FZ [N]\n1,2,3\n";
  const TextFault faults[] = {
      {"no data", "ET [s],V [km/h]\n", "f.csv: no line of numbers"},
      {"no header", "1,2\n3,4\n", "f.csv:1: no line of channel names before the data"},
      {"more names", "ET [s],SA [deg],FZ [N]\n1,2\n", "f.csv:1: 3 channel names where the data of line 2 have 2 values"},
      {"fewer units", "run 5\nET;V;SA\ns;km/h\n1;2;3\n", "f.csv:3: 2 units for 3 channels", 2, 3},
      {"names line not in the header", three, "f.csv: line 5 given for the channel names is not a line of the header", 5},
      {"units line not in the header", three, "f.csv: line 2 given for the units is not a line of the header", 1, 2},
      {"empty name", "ET [s],,SA [deg]\n1,2,3\n", "f.csv:1: column 2: no channel name"},
      {"unit without name", "ET [s],[deg]\n1,2\n", "f.csv:1: column 2: no channel name"},
      {"name twice", "ET [s],SA [deg],SA [rad]\n1,2,3\n", "f.csv:1: column 3: channel SA is named twice"},
      {"open bracket", "ET [s],SA [deg\n1,2\n", "f.csv:1: column 2: \"SA [deg\" has no closing \"]\""},
      {"fault in the first row", "ET [s],SA [deg]\n1,x\n2,3\n", "f.csv:2: column 1: \"1\" is a number, no channel name"},
      {"no number", three + "1,2x,3\n", "f.csv:3: column 2 (SA): \"2x\" is no number"},
      {"decimal comma", "ET [s];SA [deg]\n1;2\n2;2,5\n", "f.csv:3: column 2 (SA): \"2,5\" is no number"},
      {"no number in a tab file", "ET [s]\tSA [deg]\n1\t2\n2\t--3\n", "f.csv:3: column 2 (SA): \"--3\" is no number"},
      {"no number between blanks", "ET [s] SA [deg]\n1 2\n2 3e\n", "f.csv:3: column 2 (SA): \"3e\" is no number"},
      {"empty value", three + ",2,3\n", "f.csv:3: column 1 (ET): no value"},
      {"empty last value", three + "1,2,\n", "f.csv:3: column 3 (FZ): no value"},
      {"fewer values", three + "1,2\n", "f.csv:3: 2 values where the header has 3 channels"},
      {"more values", three + "1,2,3,4\n", "f.csv:3: 4 values where the header has 3 channels"},
      {"separator after the last value", three + "1,2,3,\n", "f.csv:3: 4 values where the header has 3 channels"},
      {"more values between blanks", "ET [s] SA [deg]\n1 2\n1 2 3\n", "f.csv:3: 3 values where the header has 2 channels"},
      {"fewer values between blanks", "ET [s] SA [deg]\n1 2\n1\n", "f.csv:3: 1 values where the header has 2 channels"},
      {"unknown unit", "ET [s],SA [grad]\n1,2\n", "f.csv: channel SA (slip_angle): unknown unit \"grad\""},
      {"unit of another quantity", "ET [s],FZ [Nm]\n1,2\n", "f.csv: channel FZ (fz): unknown unit \"Nm\""},
      {"no unit", "ET [s],SA\n1,2\n", "f.csv: channel SA (slip_angle) has no unit"},
      {"no unit in the units row", "ET SA\n[s] []\n1 2\n", "f.csv: channel SA (slip_angle) has no unit"},
  };
  for (const TextFault& fault : faults) {
    RigRun run;
    run.fileName = "before";
    std::string message;
    EXPECT_FALSE(readDelimitedText(fault.text, "f.csv", isoOptions(fault.namesLine, fault.unitsLine), run, message))
        << fault.what;
    EXPECT_EQ(message, fault.message) << fault.what;
    EXPECT_EQ(run.fileName, "before") << fault.what;  // a refused file leaves the run as it was
  }
}

TEST(DelimitedReader, RefusesAFileOfNoDeclaredConventionOrNoFile) {
  RigRun run;
  std::string message;
  EXPECT_FALSE(readDelimitedText("ET [s]\n1\n", "f.csv", RigReadOptions{}, run, message));
  EXPECT_EQ(message, "f.csv: no sign convention declared for the file");
  const test::TempDir dir;
  EXPECT_FALSE(readDelimitedFile(dir.file("none.csv"), isoOptions(), run, message));
  EXPECT_EQ(message, dir.file("none.csv") + ": cannot be opened for reading");
}

const std::string kTydexHead =
    "**HEADER\n"
    "RELEASE   Release of TYDEX-Format   1.3\n"
    "**MEASURCHANNELS\n"
    "SLIPANGL  Slip angle                deg       1         0         0\n";
const std::string kTydexFy = "FYW       Lateral force             N         1         0         0\n";
const std::string kTydexData = "**MEASURDATA\n1 -100\n2 -200\n";

TEST(TydexReader, RefusesEachFaultWithFileAndLine) {
  const auto fy = [](const char* numbers) { return "FYW       Lateral force             N         " + std::string(numbers) + "\n"; };
  const TextFault faults[] = {
      {"text before the header", "junk\n" + kTydexHead + kTydexFy + kTydexData + "**END\n",
       "t.tdx:1: text before the first section: \"junk\""},
      {"channel line of a name alone", kTydexHead + "FYW\n" + kTydexData + "**END\n",
       "t.tdx:5: \"FYW\" is no channel line (name, description, unit, factor, offset)"},
      {"factor 0", kTydexHead + fy("0 0 0") + kTydexData + "**END\n",
       "t.tdx:5: column 2 (FYW): conversion factor \"0\" is no number or 0"},
      {"second offset", kTydexHead + fy("1 0 5") + kTydexData + "**END\n",
       "t.tdx:5: column 2 (FYW): a second offset \"5\" is not read"},
      {"channel twice", kTydexHead + "SLIPANGL  again  rad\n" + kTydexData + "**END\n",
       "t.tdx:5: column 2: channel SLIPANGL is named twice"},
      {"data before the channels", "**HEADER\n" + kTydexData + "**END\n",
       "t.tdx:2: **MEASURDATA before any **MEASURCHANNELS line"},
      {"channels twice", kTydexHead + kTydexFy + "**MEASURCHANNELS\n" + kTydexData + "**END\n",
       "t.tdx:6: section **MEASURCHANNELS a second time"},
      {"data twice", kTydexHead + kTydexFy + kTydexData + kTydexData + "**END\n",
       "t.tdx:9: section **MEASURDATA a second time"},
      {"channel after the data", kTydexHead + kTydexFy + kTydexData + "**MEASURCHANNELS\n" + "**END\n",
       "t.tdx:9: section **MEASURCHANNELS a second time"},
      {"more values", kTydexHead + kTydexFy + "**MEASURDATA\n1 -100\n2 -200 3\n**END\n",
       "t.tdx:8: 3 values where the header has 2 channels"},
      {"fewer values", kTydexHead + kTydexFy + "**MEASURDATA\n1\n**END\n",
       "t.tdx:7: 1 values where the header has 2 channels"},
      {"no number", kTydexHead + kTydexFy + "**MEASURDATA\n1 -100\n2 -2OO\n**END\n",
       "t.tdx:8: column 2 (FYW): \"-2OO\" is no number"},
      {"no data section", kTydexHead + kTydexFy + "**END\n", "t.tdx: no **MEASURDATA section"},
      {"no end", kTydexHead + kTydexFy + kTydexData, "t.tdx:8: the file ends without **END"},
      {"unknown unit", kTydexHead + "FYW       Lateral force             kp        1 0 0\n" + kTydexData + "**END\n",
       "t.tdx: channel FYW (fy): unknown unit \"kp\""},
  };
  for (const TextFault& fault : faults) {
    RigRun run;
    run.fileName = "before";
    std::string message;
    EXPECT_FALSE(readTydexText(fault.text, "t.tdx", RigReadOptions{}, run, message)) << fault.what;
    EXPECT_EQ(message, fault.message) << fault.what;
    EXPECT_EQ(run.fileName, "before") << fault.what;
  }
}

TEST(MatReader, RefusesEachFaultWithFileAndVariable) {
  const test::TempDir dir;
  const std::string file = dir.file("m.mat");
  struct Fault {
    const char* what;
    void (*make)(test::MatMaker&);
    std::string message;
  };
  const Fault faults[] = {
      {"matrix", [](test::MatMaker& m) { m.numbers("FY", {1, 2, 3, 4, 5, 6}, 3, 2); },
       ": variable FY: a matrix of 3 x 2 is no channel"},
      {"empty matrix", [](test::MatMaker& m) { m.numbers("FY", {}, 0, 3); }, ": variable FY: a matrix of 0 x 3 is no channel"},
      {"lengths", [](test::MatMaker& m) { m.column("ET", {1, 2, 3}); m.column("FY", {1, 2}); },
       ": variable FY: 2 elements where the channels have 3"},
      {"complex", [](test::MatMaker& m) { m.complexColumn("FY", {1, 2}, {0, 1}); }, ": variable FY: complex values"},
      {"unit of numbers", [](test::MatMaker& m) { m.column("FY", {1, 2}); m.column("FY_unit", {1, 2}); },
       ": variable FY_unit: a unit must be a row of characters"},
      {"no channel", [](test::MatMaker& m) { m.text("note", "no numbers"); }, ": no numeric vector"},
      {"no unit", [](test::MatMaker& m) { m.column("ET", {1, 2}); m.text("ET_unit", "s"); m.column("FY", {1, 2}); },
       ": channel FY (fy) has no unit"},
      {"unknown unit", [](test::MatMaker& m) { m.column("FY", {1, 2}); m.text("FY_unit", "kp"); },
       ": channel FY (fy): unknown unit \"kp\""},
  };
  for (const Fault& fault : faults) {
    {
      test::MatMaker maker(file);
      fault.make(maker);
    }
    RigRun run;
    run.fileName = "before";
    std::string message;
    EXPECT_FALSE(readMatFile(file, isoOptions(), run, message)) << fault.what;
    EXPECT_EQ(message, file + fault.message) << fault.what;
    EXPECT_EQ(run.fileName, "before") << fault.what;
  }
  RigRun run;
  std::string message;
  EXPECT_FALSE(readMatFile(file, RigReadOptions{}, run, message));
  EXPECT_EQ(message, file + ": no sign convention declared for the file");
  dir.write("m.mat", "ET [s]\n1\n");
  EXPECT_FALSE(readMatFile(file, isoOptions(), run, message));
  EXPECT_EQ(message, file + ": cannot be opened as a MAT file");
}

}  // namespace
}  // namespace grip
