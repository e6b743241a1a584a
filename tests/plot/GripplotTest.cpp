// End-to-end: gripplot runs on the output of gripsim and on hand-made files
// in temporary folders, and its pictures are checked for type and size.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "TempDir.h"
#include "plot/Picture.h"

namespace grip::plot {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct Outcome {
  int status = -1;
  std::string out, err;
};

/// Runs a program inside dir with the argument text, after the environment settings given.
Outcome runIn(const TempDir& dir, const std::string& program, const std::string& arguments,
              const std::string& environment = "") {
  static TempDir capture;
  const std::string command = "cd '" + dir.path().string() + "' && " + environment + " '" + program + "' " + arguments +
                              " > '" + capture.file("out") + "' 2> '" + capture.file("err") + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, capture.read("out"), capture.read("err")};
}

Outcome gripplot(const TempDir& dir, const std::string& arguments, const std::string& environment = "") {
  return runIn(dir, GRIPPLOT_PATH, arguments, environment);
}

std::set<std::string> listing(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) names.insert(entry.path().filename().string());
  return names;
}

/// Width and height of a picture in dir, by the type its name gives: from the
/// header of a PNG, or the root element of an SVG that is closed; {0, 0} when
/// the file is no such picture.
std::pair<int, int> pictureSize(const TempDir& dir, const std::string& name) {
  const std::string bytes = dir.read(name);
  if (fs::path(name).extension() == ".svg") {
    std::smatch match;
    static const std::regex root(R"re(<svg\s+width="(\d+)"\s+height="(\d+)")re");
    if (!std::regex_search(bytes, match, root) || bytes.find("</svg>") == std::string::npos) return {0, 0};
    return {std::stoi(match[1]), std::stoi(match[2])};
  }
  const bool png =
      bytes.size() >= 24 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) == 0 && bytes.compare(12, 4, "IHDR") == 0;
  auto word = [&](std::size_t at) {  // big-endian, as PNG writes them
    int value = 0;
    for (std::size_t k = 0; k < 4; ++k) value = value * 256 + static_cast<unsigned char>(bytes[at + k]);
    return value;
  };
  return png ? std::make_pair(word(16), word(20)) : std::make_pair(0, 0);
}

/// The example runs of gripsim, made once, each in a folder of its own: the
/// continuous one leaves sweeps, a fit listing and an empty trace; the
/// discrete one a trace. Their result files are copied into the tests' folders.
class Gripplot : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    continuous_ = example("passenger.ctl", {"passenger.dat", "measured.dat"});
    discrete_ = example("discrete_geometric.ctl", {"passenger_discrete.dat"});
  }

  static std::unique_ptr<TempDir> example(const std::string& control, std::vector<std::string> inputs) {
    auto dir = std::make_unique<TempDir>();
    inputs.push_back(control);
    for (const auto& name : inputs) fs::copy_file(fs::path(EXAMPLES_DIR) / name, dir->path() / name);
    EXPECT_EQ(runIn(*dir, GRIPSIM_PATH, control).status, 0) << control;
    return dir;
  }

  /// Copies a result file of the continuous example into dir, under a name of its own.
  static void take(const TempDir& dir, const std::string& name, const std::string& as = "") {
    dir.write(as.empty() ? name : as, continuous_->read(name));
  }

  static std::unique_ptr<TempDir> continuous_, discrete_;
};

std::unique_ptr<TempDir> Gripplot::continuous_, Gripplot::discrete_;

TEST_F(Gripplot, DrawsEveryKindOfResultAtItsSize) {
  struct Case {
    std::string arguments, picture;
    int width, height;
    std::string notes;
  };
  const Case cases[] = {
      {"alpha_sweep.dat", "alpha_sweep.png", 900, 600, ""},
      {"slip_sweep.dat -o slip.svg", "slip.svg", 900, 600, ""},
      {"--size 400x300 alpha_sweep.dat --output=small.png", "small.png", 400, 300, ""},
      {"\"it's_a \\\"sweep\\\".dat\"", "it's_a \"sweep\".png", 900, 600, ""},  // quotes reach gnuplot unharmed
      {"TractalFinput3.dat", "TractalFinput3.png", 640, 960,
       "gripplot: note: TractalFinput3.dat: drawn over slip angle, one curve for each level of Fz\n"},
      {"DiscreteOutput.dat", "DiscreteOutput.png", 1200, 560, ""},
      {"-k patch DiscreteOutput.dat -o patch.svg", "patch.svg", 1200, 560, ""},
  };
  TempDir dir;
  for (const char* name : {"alpha_sweep.dat", "slip_sweep.dat", "TractalFinput3.dat"}) take(dir, name);
  take(dir, "alpha_sweep.dat", "it's_a \"sweep\".dat");
  dir.write("DiscreteOutput.dat", discrete_->read("DiscreteOutput.dat"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = gripplot(dir, c.arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.picture + "\n");
    EXPECT_EQ(run.err, c.notes);
    EXPECT_EQ(pictureSize(dir, c.picture), std::make_pair(c.width, c.height));
  }
  EXPECT_EQ(listing(dir).size(), 5 + std::size(cases)) << "temporary files left behind";
}

TEST_F(Gripplot, ListingsSideBySideCarryTheTargetValueOfTheFit) {
  TempDir dir;
  std::string sixteen;
  for (int k = 1; k <= 16; ++k) {
    take(dir, "TractalFinput3.dat", "file" + std::to_string(k) + ".dat");
    sixteen += " file" + std::to_string(k) + ".dat";
  }
  dir.write("DesignResults.dat",
            "[TWGmodel]\n model    = +1.0000000000e+00 [-]\n[TargetValue]\n target   = 2.709497 \n[Eof]\n");
  Outcome run = gripplot(dir, "file1.dat file2.dat --script fit.gp");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "file1_file2.png\n");
  EXPECT_EQ(pictureSize(dir, "file1_file2.png"), std::make_pair(1280, 960));
  EXPECT_NE(dir.read("fit.gp").find("target value of the fit 2.7095 %"), std::string::npos);
  EXPECT_NE(dir.read("fit.gp").find("set output 'file1_file2.png'"), std::string::npos);

  dir.write("DesignResults.dat", "[TargetValue]\n");
  run = gripplot(dir, "file1.dat file2.dat --script fit.gp");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("gripplot: note: DesignResults.dat holds no target value; the title goes without it\n"),
            std::string::npos);
  EXPECT_EQ(dir.read("fit.gp").find("target value"), std::string::npos);

  // Sixteen files at 640 pixels each would pass the largest side a picture may have.
  run = gripplot(dir, sixteen + " -o wide.png");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(pictureSize(dir, "wide.png"), std::make_pair(10000, 960));
}

TEST_F(Gripplot, FaultsLeaveNoPictureBehindAndTheEarlierOneUntouched) {
  const std::pair<const char*, std::string> files[] = {
      {"empty.dat", ""},
      {"six.dat", "\n 0.0 -10.0 0.0 0.0 -3804.1 4000.0\n"},
      {"mixed.dat", "1 2 3 4 5 6 7\n1 2 3 4 5 6 7 8 9 10 11\n"},
      {"text.dat", " 0.0 -10.0 0.0 0.0 Fy 4000.0 0.0\n"},
      {"unit.dat", "1 2 3 4 5 6 7kN\n"},
      {"nan.dat", "1 2 3 nan 5 6 7\n"},
      {"binary.dat", std::string("\x89PNG\r\n\x1a\n", 8)},
      {"long.dat", std::string(300, '1') + "\n"},
      // Contact-patch traces: x, y, ux, uy, pz, fx, fy, a row of the grid between empty lines.
      {"rows.dat", "-10 5 0 0 1 0 0\n10 5 0 0 1 0 0\n\n-10 -5 0 0 1 0 0\n"},
      {"y.dat", "-10 5 0 0 1 0 0\n10 4 0 0 1 0 0\n\n"},
      {"x.dat", "-10 5 0 0 1 0 0\n10 5 0 0 1 0 0\n\n-10 -5 0 0 1 0 0\n12 -5 0 0 1 0 0\n"},
  };
  struct Case {
    std::string arguments;
    int status;
    std::string message;
    std::string environment = "";
  };
  const Case cases[] = {
      {"missing.dat", 2, "gripplot: cannot open missing.dat: No such file or directory\n"},
      {"sub", 2, "gripplot: cannot open sub: Is a directory\n"},
      {"empty.dat", 2, "gripplot: empty.dat holds no numbers to draw\n"},
      {"DiscreteOutput.dat", 2,  // as a run of the continuous model leaves it
       "gripplot: DiscreteOutput.dat holds no numbers to draw: only the discrete model (model type 2) writes a "
       "trace\n"},
      {"six.dat", 2, "gripplot: line 2 of six.dat holds 6 numbers; result files hold 7 or 11 per line\n"},
      {"mixed.dat", 2, "gripplot: line 2 of mixed.dat holds 11 numbers where line 1 holds 7\n"},
      {"text.dat", 2, "gripplot: line 1 of text.dat: \"Fy\" is not a number\n"},
      {"unit.dat", 2, "gripplot: line 1 of unit.dat: \"7kN\" is not a number\n"},
      {"nan.dat", 2, "gripplot: line 1 of nan.dat: nan is not a finite number\n"},
      {"binary.dat", 2, "gripplot: line 1 of binary.dat: \"?PNG\" is not a number\n"},
      {"long.dat", 2, "gripplot: line 1 of long.dat is longer than 255 characters\n"},
      {"rows.dat", 2,
       "gripplot: row 2 of the contact patch in rows.dat (from line 4) holds 1 points where row 1 holds 2\n"},
      {"-k patch y.dat", 2, "gripplot: line 2 of y.dat has y = 4 where its row of the contact patch has y = 5\n"},
      {"x.dat", 2, "gripplot: line 5 of x.dat has x = 12 where the rows before have x = 10 at that place\n"},
      {"alpha.dat TractalFinput3.dat", 2,
       "gripplot: alpha.dat is a sweep file; only measured-and-model files (compare) are drawn side by side\n"},
      {"--kind compare alpha.dat", 2, "gripplot: alpha.dat holds 7 numbers per line; a compare file holds 11\n"},
      {"--colour red alpha.dat", 1, "gripplot: unknown option --colour (see gripplot --help)\n"},
      {"", 1, "gripplot: no result file given (see gripplot --help)\n"},
      {"alpha.dat -o", 1, "gripplot: option -o needs a value\n"},
      {"alpha.dat -o alpha.jpg", 1, "gripplot: cannot tell the picture format of alpha.jpg: name it .png or .svg\n"},
      {"alpha.dat -s 20x20", 1, "gripplot: picture size 20x20 is not WIDTHxHEIGHT in pixels, each from 100 to 10000\n"},
      {"alpha.dat --script alpha.dat", 1, "gripplot: the script alpha.dat would overwrite alpha.dat\n"},
      {"alpha.dat -o nowhere/alpha.png", 3, "gripplot: cannot write nowhere/alpha.png: No such file or directory\n"},
      {"alpha.dat", 3, "gripplot: cannot run /nonexistent/gnuplot: No such file or directory (install gnuplot-nox)\n",
       "GRIPPLOT_GNUPLOT=/nonexistent/gnuplot"},
      {"alpha.dat", 3, "gripplot: gnuplot failed (exit status 1); alpha.png was not written\n",
       "GRIPPLOT_GNUPLOT=false"},
  };
  TempDir dir;
  for (const auto& [name, text] : files) dir.write(name, text);
  take(dir, "alpha_sweep.dat", "alpha.dat");
  dir.write("alpha.png", "the picture of an earlier run");
  take(dir, "TractalFinput3.dat");
  take(dir, "DiscreteOutput.dat");
  fs::create_directory(dir.path() / "sub");
  const auto before = listing(dir);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.environment + " gripplot " + c.arguments);
    const Outcome run = gripplot(dir, c.arguments, c.environment);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.message);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(listing(dir), before);
  }
  EXPECT_EQ(dir.read("alpha.png"), "the picture of an earlier run");
}

TEST_F(Gripplot, OnlyCompletePicturesCount) {
  TempDir dir;
  take(dir, "alpha_sweep.dat");
  ASSERT_EQ(gripplot(dir, "alpha_sweep.dat -s 300x200").status, 0);
  int width = 0, height = 0;
  EXPECT_TRUE(isCompletePicture(dir.file("alpha_sweep.png"), PictureType::png, &width, &height));
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(300, 200));
  const std::string bytes = dir.read("alpha_sweep.png");
  dir.write("cut.png", bytes.substr(0, bytes.size() - 1));
  dir.write("cut.svg", "<?xml version=\"1.0\"?>\n<svg width=\"300\" height=\"200\">\n<g>\n");
  EXPECT_FALSE(isCompletePicture(dir.file("cut.png"), PictureType::png));
  EXPECT_FALSE(isCompletePicture(dir.file("cut.svg"), PictureType::svg));
  EXPECT_FALSE(isCompletePicture(dir.file("none.png"), PictureType::png));
}

TEST_F(Gripplot, HelpAndVersionAnswerOnStandardOutput) {
  TempDir dir;
  const Outcome help = gripplot(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: gripplot [OPTIONS] RESULTFILE...\n", 0), 0u);
  EXPECT_NE(help.out.find("Exit status: 0 picture written"), std::string::npos);
  const Outcome version = gripplot(dir, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(version.out, std::regex("gripplot [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
  EXPECT_TRUE(listing(dir).empty());
}

}  // namespace
}  // namespace grip::plot
