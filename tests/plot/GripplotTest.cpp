// End-to-end: gripplot runs on the output of gripsim and on hand-made files
// in temporary folders, and its pictures are checked byte by byte.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "PatchTrace.h"
#include "TempDir.h"
#include "plot/Picture.h"

namespace grip::plot {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
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

/// Width and height from the header of a PNG file; {0, 0} when it is none.
std::pair<int, int> pngSize(const std::string& bytes) {
  const std::string signature("\x89PNG\r\n\x1a\n", 8);
  if (bytes.size() < 24 || bytes.compare(0, 8, signature) != 0 || bytes.compare(12, 4, "IHDR") != 0) return {0, 0};
  auto word = [&](std::size_t at) {
    int value = 0;
    for (std::size_t k = 0; k < 4; ++k) value = value * 256 + static_cast<unsigned char>(bytes[at + k]);
    return value;
  };
  return {word(16), word(20)};
}

/// Width and height of the root element of an SVG file; {0, 0} when it has none.
std::pair<int, int> svgSize(const std::string& text) {
  std::smatch match;
  static const std::regex root(R"re(<svg\s+width="(\d+)"\s+height="(\d+)")re");
  if (!std::regex_search(text, match, root) || text.find("</svg>") == std::string::npos) return {0, 0};
  return {std::stoi(match[1]), std::stoi(match[2])};
}

/// The example run of gripsim, made once: its result files are copied into
/// the folders of the tests.
class Gripplot : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    examples_ = std::make_unique<TempDir>();
    for (const char* name : {"passenger.ctl", "passenger.dat", "measured.dat"}) {
      fs::copy_file(fs::path(EXAMPLES_DIR) / name, examples_->path() / name);
    }
    ASSERT_EQ(runIn(*examples_, GRIPSIM_PATH, "passenger.ctl").status, 0);
  }
  static void TearDownTestSuite() { examples_.reset(); }

  /// Copies an example result file into dir, under a name of its own.
  static void take(const TempDir& dir, const std::string& name, const std::string& as = "") {
    dir.write(as.empty() ? name : as, examples_->read(name));
  }

  static std::unique_ptr<TempDir> examples_;
};

std::unique_ptr<TempDir> Gripplot::examples_;

TEST_F(Gripplot, DrawsEveryKindOfResultAtItsSize) {
  struct Case {
    std::string arguments;
    std::string picture;
    int width, height;
    std::string notes;
  };
  const Case cases[] = {
      {"alpha_sweep.dat", "alpha_sweep.png", 900, 600, ""},
      {"slip_sweep.dat -o slip.svg", "slip.svg", 900, 600, ""},
      {"--size 400x300 alpha_sweep.dat --output=small.png", "small.png", 400, 300, ""},
      {"TractalFinput3.dat", "TractalFinput3.png", 640, 960,
       "gripplot: note: TractalFinput3.dat: drawn over slip angle, one curve for each level of Fz\n"},
      {"DiscreteOutput.dat", "DiscreteOutput.png", 1200, 560, ""},
      {"-k patch DiscreteOutput.dat -o patch.svg", "patch.svg", 1200, 560, ""},
  };
  TempDir dir;
  for (const char* name : {"alpha_sweep.dat", "slip_sweep.dat", "TractalFinput3.dat"}) take(dir, name);
  dir.write("DiscreteOutput.dat", test::threeByThreeTrace());
  for (const Case& c : cases) {
    const Outcome run = gripplot(dir, c.arguments);
    EXPECT_EQ(run.status, 0) << c.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, c.picture + "\n");
    EXPECT_EQ(run.err, c.notes);
    const std::string bytes = dir.read(c.picture);
    const auto size = fs::path(c.picture).extension() == ".svg" ? svgSize(bytes) : pngSize(bytes);
    EXPECT_EQ(size, std::make_pair(c.width, c.height)) << c.arguments;
  }
  EXPECT_EQ(listing(dir).size(), 4 + std::size(cases)) << "temporary files left behind";
}

TEST_F(Gripplot, DrawsTheTraceOfTheDiscreteExample) {
  TempDir dir;
  for (const char* name : {"discrete_geometric.ctl", "passenger_discrete.dat"}) {
    fs::copy_file(fs::path(EXAMPLES_DIR) / name, dir.path() / name);
  }
  ASSERT_EQ(runIn(dir, GRIPSIM_PATH, "discrete_geometric.ctl").status, 0);
  const Outcome run = gripplot(dir, "DiscreteOutput.dat");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(pngSize(dir.read("DiscreteOutput.png")), std::make_pair(1200, 560));
}

TEST_F(Gripplot, ListingsSideBySideCarryTheTargetValueOfTheFit) {
  TempDir dir;
  take(dir, "TractalFinput3.dat", "file1.dat");
  take(dir, "TractalFinput3.dat", "file2.dat");
  dir.write("DesignResults.dat",
            "[TWGmodel]\n model    = +1.0000000000e+00 [-]\n[TargetValue]\n target   = 2.709497 \n[Eof]\n");
  Outcome run = gripplot(dir, "file1.dat file2.dat --script fit.gp");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "file1_file2.png\n");
  EXPECT_EQ(pngSize(dir.read("file1_file2.png")), std::make_pair(1280, 960));
  EXPECT_NE(dir.read("fit.gp").find("target value of the fit 2.7095 %"), std::string::npos);
  EXPECT_NE(dir.read("fit.gp").find("set output 'file1_file2.png'"), std::string::npos);

  dir.write("DesignResults.dat", "[TargetValue]\n");
  run = gripplot(dir, "file1.dat file2.dat --script fit.gp");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("gripplot: note: DesignResults.dat holds no target value; the title goes without it\n"),
            std::string::npos);
  EXPECT_EQ(dir.read("fit.gp").find("target value"), std::string::npos);
}

TEST_F(Gripplot, FileNamesReachGnuplotUnharmed) {
  TempDir dir;
  take(dir, "alpha_sweep.dat", "it's_a \"sweep\".dat");
  const Outcome run = gripplot(dir, "\"it's_a \\\"sweep\\\".dat\"");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(pngSize(dir.read("it's_a \"sweep\".png")), std::make_pair(900, 600));
}

TEST_F(Gripplot, FaultsLeaveNoPictureBehind) {
  struct Case {
    std::string arguments;
    int status;
    std::string message;
    std::string environment = "";
  };
  const Case cases[] = {
      {"missing.dat", 2, "gripplot: cannot open missing.dat: No such file or directory\n"},
      {"empty.dat", 2, "gripplot: empty.dat holds no numbers to draw\n"},
      {"DiscreteOutput.dat", 2,  // as a run of the continuous model leaves it
       "gripplot: DiscreteOutput.dat holds no numbers to draw: only the discrete model (model type 2) writes a "
       "trace\n"},
      {"six.dat", 2, "gripplot: line 2 of six.dat holds 6 numbers; result files hold 7 or 11 per line\n"},
      {"text.dat", 2, "gripplot: line 1 of text.dat: \"Fy\" is not a number\n"},
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
      {"alpha.dat -o alpha.dat/alpha.png", 3, "gripplot: cannot write alpha.dat/alpha.png: Not a directory\n"},
      {"alpha.dat", 3, "gripplot: cannot run /nonexistent/gnuplot: No such file or directory (install gnuplot-nox)\n",
       "GRIPPLOT_GNUPLOT=/nonexistent/gnuplot"},
      {"alpha.dat", 3, "gripplot: gnuplot failed (exit status 1); alpha.png was not written\n",
       "GRIPPLOT_GNUPLOT=false"},
  };
  TempDir dir;
  take(dir, "alpha_sweep.dat", "alpha.dat");
  take(dir, "TractalFinput3.dat");
  dir.write("empty.dat", "");
  take(dir, "DiscreteOutput.dat");
  dir.write("six.dat", "\n 0.0 -10.0 0.0 0.0 -3804.1 4000.0\n");
  dir.write("text.dat", " 0.0 -10.0 0.0 0.0 Fy 4000.0 0.0\n");
  const auto before = listing(dir);
  for (const Case& c : cases) {
    const Outcome run = gripplot(dir, c.arguments, c.environment);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(run.err, c.message);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(listing(dir), before) << c.arguments;
  }
}

TEST_F(Gripplot, FailedRunKeepsTheEarlierPicture) {
  TempDir dir;
  take(dir, "alpha_sweep.dat");
  dir.write("alpha_sweep.png", "the picture of an earlier run");
  EXPECT_EQ(gripplot(dir, "alpha_sweep.dat", "GRIPPLOT_GNUPLOT=false").status, 3);
  EXPECT_EQ(dir.read("alpha_sweep.png"), "the picture of an earlier run");
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

TEST(Picture, OnlyCompletePicturesCount) {
  TempDir dir;
  dir.write("alpha.dat", test::threeByThreeTrace());
  ASSERT_EQ(gripplot(dir, "-k patch alpha.dat -s 300x200").status, 0);
  const std::string bytes = dir.read("alpha.png");
  int width = 0, height = 0;
  EXPECT_TRUE(isCompletePicture(dir.file("alpha.png"), PictureType::png, &width, &height));
  EXPECT_EQ(width, 300);
  EXPECT_EQ(height, 200);
  dir.write("cut.png", bytes.substr(0, bytes.size() - 1));
  EXPECT_FALSE(isCompletePicture(dir.file("cut.png"), PictureType::png));
  dir.write("cut.svg", "<?xml version=\"1.0\"?>\n<svg width=\"300\" height=\"200\">\n<g>\n");
  EXPECT_FALSE(isCompletePicture(dir.file("cut.svg"), PictureType::svg));
  EXPECT_FALSE(isCompletePicture(dir.file("none.png"), PictureType::png));
}

}  // namespace
}  // namespace grip::plot
