// How the cutting marks every stretch of a run, the picture drawn of it and
// what a preparation leaves for the fit's reports.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "RigRunGenerator.h"
#include "TempDir.h"
#include "core/TextFile.h"
#include "fitter/FitProgram.h"
#include "fitter/PrepareCommand.h"
#include "plot/Picture.h"
#include "prepare/Prepare.h"
#include "prepare/SegmentationPicture.h"

namespace grip {
namespace {

std::vector<double>& values(RigRun& run, Quantity quantity) { return run.find(quantity)->values; }

PrepareSummary piecesOf(const std::vector<RigRun>& runs) {
  PrepareSummary summary;
  for (const RigRun& run : runs) findSweeps(run, PrepareOptions{}, summary);
  return summary;
}

TEST(PrepareSweeps, EveryPieceDroppedSaysWhy) {
  // The made run at 100 Hz: a warm-up of 50 samples and a hold of 20, then
  // the first sweep from sample 70 to 870 and a load ramp of 40 N a sample
  // to sample 920, of which the first four keep within 150 N of 3000 N.
  struct Case {
    const char* change;
    std::function<void(RigRun&)> make;
    PieceKind kind;
    std::size_t begin, end;  // of the first piece of the kind
    const char* reason;      // in the dropped line
  };
  const Case cases[] = {
      // Slip below a quarter bin (0.06 deg a sample) counts as zero: samples 70 to 73 as well.
      {"as made", [](RigRun&) {}, PieceKind::heldAtZero, 0, 74,
       "made.csv 0.00 s to 0.73 s: slip held at zero before the sweep (a warm-up or a hold)"},
      {"as made", [](RigRun&) {}, PieceKind::transition, 874, 916, "made.csv 8.74 s to 9.15 s: steady for 0.41 s only (a transition)"},
      {"lifted",
       [](RigRun& r) { for (std::size_t i = 1000; i < 1020; ++i) values(r, Quantity::Fz)[i] = 0.0; },
       PieceKind::lifted, 1000, 1020, "made.csv: 20 samples with a load below 100 N (the tyre lifted)"},
      {"no slip", [](RigRun& r) { for (std::size_t i = 0; i < 870; ++i) values(r, Quantity::SlipAngle)[i] = 0.0; },
       PieceKind::warmUp, 0, 874, "no slip sweep (a warm-up or a hold)"},
      {"combined",
       [](RigRun& r) { for (std::size_t i = 100; i < 800; ++i) values(r, Quantity::SlipRatio)[i] = i % 200 < 100 ? 0.02 : -0.02; },
       PieceKind::combined, 0, 874,
       "made.csv 0.00 s to 8.73 s: slip angle and slip ratio swept together (combined slip is not prepared)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    RigRun run = test::madeRigRun();
    c.make(run);
    const PrepareSummary summary = piecesOf({run});
    const auto piece = std::find_if(summary.pieces.begin(), summary.pieces.end(),
                                    [&](const RunPiece& p) { return p.kind == c.kind; });
    ASSERT_NE(piece, summary.pieces.end());
    EXPECT_EQ(piece->file, "made.csv");
    EXPECT_EQ(piece->begin, c.begin);
    EXPECT_EQ(piece->end, c.end);
    EXPECT_TRUE(std::any_of(summary.dropped.begin(), summary.dropped.end(),
                            [&](const std::string& line) { return line.find(c.reason) != std::string::npos; }));
  }
}

TEST(PrepareSweeps, SweepsOneAfterTheOtherAreCutApart) {
  // The last slip-angle sweep (samples 2680 to 3480) at no camber: it and the
  // slip-ratio run after it, at the same load, are one steady piece.
  RigRun run = test::madeRigRun();
  for (std::size_t i = 2610; i < 3480; ++i) values(run, Quantity::Camber)[i] = 0.0;
  const PrepareSummary summary = piecesOf({run});
  ASSERT_EQ(summary.sweeps.size(), 5u);
  const Sweep& fy = summary.sweeps[3];
  const Sweep& fx = summary.sweeps[4];
  EXPECT_EQ(fy.name, "fy_Fz5000_IA0_2.dat");
  EXPECT_EQ(fx.name, "fx_Fz5000_IA0.dat");
  EXPECT_LE(fy.endTime, 34.8);
  EXPECT_GE(fx.startTime, 34.8);
  EXPECT_GE(fy.points.size(), 45u);
  EXPECT_GE(fx.points.size(), 45u);
  for (const RunPiece& piece : summary.pieces) EXPECT_NE(piece.kind, PieceKind::combined);
}

TEST(PrepareSweeps, PiecesFollowEachOtherAndNameTheirSweeps) {
  RigRun second = test::madeRigRun();
  second.fileName = "second.csv";
  // It starts with a load ramp: a transition at its first sample.
  for (std::size_t i = 0; i < 40; ++i) values(second, Quantity::Fz)[i] = 1000.0 + 50.0 * static_cast<double>(i);
  const PrepareSummary first = piecesOf({test::madeRigRun()});
  const PrepareSummary both = piecesOf({test::madeRigRun(), second});
  // The first run's lines stand as they were, its last one too.
  ASSERT_GT(both.dropped.size(), first.dropped.size());
  EXPECT_TRUE(std::equal(first.dropped.begin(), first.dropped.end(), both.dropped.begin()));
  EXPECT_EQ(both.dropped[first.dropped.size()].rfind("second.csv 0.00 s to ", 0), 0u)
      << both.dropped[first.dropped.size()];
  std::size_t sweeps = 0;
  for (std::size_t k = 0; k < both.pieces.size(); ++k) {
    const RunPiece& p = both.pieces[k];
    SCOPED_TRACE(k);
    EXPECT_LT(p.begin, p.end);
    if (k > 0 && both.pieces[k - 1].file == p.file) {
      EXPECT_LE(both.pieces[k - 1].end, p.begin);
    }
    if (p.kind != PieceKind::sweep) continue;
    ASSERT_LT(sweeps, both.sweeps.size());
    EXPECT_EQ(p.sweep, both.sweeps[sweeps++].name);
  }
  EXPECT_EQ(sweeps, both.sweeps.size());
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(PreparePicture, ScriptMarksEachPieceOnce) {
  const RigRun run = test::madeRigRun();
  RigRun other = run;
  other.fileName = "other.csv";
  const PrepareSummary summary = piecesOf({run, other});
  const std::string script = segmentationScript({run, other}, summary, plot::Canvas{plot::PictureType::png, 1600,
                                                                                     1240, "made.png"});
  EXPECT_EQ(count(script, "\nset object "), summary.pieces.size());
  EXPECT_EQ(count(script, "\nset label \"fy\\\\_Fz3000\\\\_IA0"), 2u) << "a sweep's name over each run";
  for (const Sweep& sweep : summary.sweeps) EXPECT_EQ(count(script, "  # " + sweep.name + "\n"), 1u) << sweep.name;
  EXPECT_EQ(count(script, "  # transition\n"), 6u);  // three load ramps a run
  EXPECT_EQ(count(script, "title \"transition\""), 2u);  // in the key of each run
  EXPECT_EQ(count(script, " << EOD\n"), 2u);  // the samples of each run
  EXPECT_EQ(count(script, "\nplot $run2 using 1:"), 4u);  // load, slip angle, slip ratio, camber
}

struct Captured {
  TextFile out{std::tmpfile()}, err{std::tmpfile()};
  static std::string text(const TextFile& file) {
    std::rewind(file.get());
    std::string text;
    for (int c; (c = std::fgetc(file.get())) != EOF;) text += static_cast<char>(c);
    return text;
  }
};

const std::string kIso = EXAMPLES_DIR "/rig/run_iso.csv";

TEST(PrepareCommand, PictureOrWhyNot) {
  struct Case {
    const char* gnuplot;  // GRIPPLOT_GNUPLOT; nullptr: the installed one
    const char* summaryLine;
    const char* warning;  // "" when drawn
  };
  const Case cases[] = {
      {nullptr,
       "\npicture: Prepare.png, the load, slip angle, slip ratio and camber of each run over time with every sweep "
       "and piece dropped marked\n",
       ""},
      {"false",
       "\npicture: Prepare.png not drawn (gnuplot failed (exit status 1); Prepare.png was not written); the prepared "
       "files are complete without it\n",
       "warning: the picture Prepare.png was not drawn: gnuplot failed (exit status 1); Prepare.png was not written\n"},
      {"/nonexistent/gnuplot",
       "\npicture: Prepare.png not drawn (cannot run /nonexistent/gnuplot: No such file or directory (install "
       "gnuplot-nox)); the prepared files are complete without it\n",
       "warning: the picture Prepare.png was not drawn: cannot run /nonexistent/gnuplot: No such file or directory "
       "(install gnuplot-nox)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gnuplot ? c.gnuplot : "gnuplot");
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "p");
    dir.write("p/Prepare.png", "a picture of an earlier preparation");
    ASSERT_TRUE(dir.exists("p/Prepare.png"));
    if (c.gnuplot) setenv("GRIPPLOT_GNUPLOT", c.gnuplot, 1);
    Captured captured;
    const std::string out = dir.file("p");
    const std::vector<const char*> arguments = {"--out", out.c_str(), "--convention", "iso", kIso.c_str()};
    EXPECT_EQ(prepareCommandMain(arguments, captured.out.get(), captured.err.get()), 0);
    unsetenv("GRIPPLOT_GNUPLOT");
    EXPECT_EQ(Captured::text(captured.err), c.warning);
    EXPECT_EQ(Captured::text(captured.out), "5 sweeps prepared in " + out + " (Prepare.txt says what was found and dropped)\n");
    EXPECT_TRUE(dir.exists("p/DesignTarget.dat"));
    EXPECT_TRUE(dir.read("p/Prepare.txt").ends_with(c.summaryLine)) << dir.read("p/Prepare.txt");
    const bool drawn = *c.warning == '\0';
    int width = 0, height = 0;
    EXPECT_EQ(plot::isCompletePicture(dir.file("p/Prepare.png"), plot::PictureType::png, &width, &height), drawn);
    EXPECT_EQ(dir.exists("p/Prepare.png"), drawn) << "no picture of other pieces is left";
    if (drawn) {
      EXPECT_EQ(width, 1600);
      EXPECT_EQ(height, 620);
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "p"))
      EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
  }
}

TEST(PrepareCommand, ForcedWarningsReachEveryFitReport) {
  const std::string flipped = kIso + " sweep fy_Fz3000_IA0.dat channel FY: cornering stiffness at zero slip -729.1 "
                                     "N/deg, of the wrong sign for our convention (a flipped convention, or a flipped "
                                     "Fy or slip channel)";
  struct Case {
    std::vector<const char*> arguments;
    const char* convention;
    std::size_t warnings;
  };
  const Case cases[] = {
      {{"--force", "--convention", "ours", kIso.c_str()}, "ours", 4},  // ISO's Fy read as ours: flipped
      {{"--convention", "iso", kIso.c_str()}, "iso8855", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.convention);
    test::WorkingDir dir;
    const TextFile quiet = openForWriting("/dev/null");
    std::vector<const char*> arguments = {"--out", "p"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    ASSERT_EQ(prepareCommandMain(arguments, quiet.get(), quiet.get()), 0);
    std::filesystem::current_path(dir.path() / "p");
    std::atomic<bool> interrupted{false};
    const std::vector<const char*> fitArguments = {"--quiet"};
    ASSERT_EQ(fitProgramMain(fitArguments, interrupted, false), 0);
    const std::string text = test::readFile("FitReport.txt");
    const std::string html = test::readFile("FitReport.html");
    const nlohmann::json json = nlohmann::json::parse(test::readFile("FitReport.json"));
    const nlohmann::json& preparation = json["preparation"];
    ASSERT_TRUE(preparation.is_object());
    EXPECT_EQ(preparation["files"][0]["file"], kIso);
    EXPECT_EQ(preparation["files"][0]["convention"], c.convention);
    EXPECT_EQ(preparation["convention"], c.convention);
    EXPECT_EQ(preparation["forced"], c.warnings > 0);
    ASSERT_EQ(preparation["warnings"].size(), c.warnings);
    EXPECT_NE(text.find(" " + kIso + ": 1229 samples, written in " + c.convention + " axes\n"), std::string::npos)
        << text;
    EXPECT_NE(html.find("<h2>Preparation</h2>"), std::string::npos);
    if (c.warnings == 0) {
      EXPECT_TRUE(text.ends_with("\npreparation warnings: none\n")) << text;
      EXPECT_NE(html.find("<p>Every check of the preparation passed.</p>"), std::string::npos);
      continue;
    }
    EXPECT_EQ(preparation["warnings"][0], flipped);
    EXPECT_NE(text.find("preparation warnings (--force): 4\n warning (--force): " + flipped + "\n"),
              std::string::npos) << text;
    EXPECT_NE(html.find("<li><pre>warning (--force): " + flipped + "</pre></li>"), std::string::npos);
  }
}

}  // namespace
}  // namespace grip
