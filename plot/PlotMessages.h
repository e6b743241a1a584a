#pragma once

// Console texts, exit statuses and defaults of gripplot. Users and scripts
// match the messages, so they are kept here and nowhere else.

namespace grip::msg {

inline constexpr const char* kPlotUsage =
    "usage: gripplot [OPTIONS] RESULTFILE...\n"
    "\n"
    "Draws a result file of gripsim or gripfit as a picture, with gnuplot:\n"
    "  DiscreteOutput.dat   the contact patch of one discrete evaluation: load per\n"
    "                       point with the point forces as arrows, and the utilised\n"
    "                       friction |f|/pz per point\n"
    "  range result         Fx, Fy and Mz over the swept operating value\n"
    "  TractalFinputN.dat,  measured and modelled forces over the swept operating\n"
    "  fileN.dat            value, with the error of every point; several files are\n"
    "                       drawn side by side, with the target value of\n"
    "                       DesignResults.dat in the title when it stands beside them\n"
    "\n"
    "Options:\n"
    "  -o, --output NAME  picture to write; .png or .svg chooses the format\n"
    "                     (default: the first file's name with .png, in its folder)\n"
    "  -k, --kind KIND    read the files as 'patch', 'sweep' or 'compare' instead\n"
    "                     of telling the kind from their layout\n"
    "  -s, --size WxH     picture size in pixels (default: patch 1200x560,\n"
    "                     sweep 900x600, compare 640 per file x 960, at most\n"
    "                     10000 wide)\n"
    "      --script NAME  also save the gnuplot script that draws the picture\n"
    "  -h, --help         show this text\n"
    "      --version      show the version\n"
    "\n"
    "The name of the picture written is printed on the standard output; notes\n"
    "and faults go to the standard error.\n"
    "The environment variable GRIPPLOT_GNUPLOT names the gnuplot program to run.\n"
    "\n"
    "Exit status: 0 picture written, 1 wrong command line, 2 a result file cannot\n"
    "be read or has an unknown layout, 3 the picture could not be made (folder not\n"
    "writable, gnuplot missing or failing); no picture is left behind then.\n";

inline constexpr const char* kPlotVersion = "gripplot %s\n";
inline constexpr const char* kPlotWritten = "%s\n";

// Command line.
inline constexpr const char* kPlotUnknownOption = "gripplot: unknown option %s (see gripplot --help)\n";
inline constexpr const char* kPlotMissingValue = "gripplot: option %s needs a value\n";
inline constexpr const char* kPlotNoInput = "gripplot: no result file given (see gripplot --help)\n";
inline constexpr const char* kPlotUnknownKind = "gripplot: unknown kind %s: use patch, sweep or compare\n";
inline constexpr const char* kPlotBadSize =
    "gripplot: picture size %s is not WIDTHxHEIGHT in pixels, each from 100 to 10000\n";
inline constexpr const char* kPlotUnknownFormat =
    "gripplot: cannot tell the picture format of %s: name it .png or .svg\n";
inline constexpr const char* kPlotScriptName = "gripplot: the script %s would overwrite %s\n";

// Result files.
inline constexpr const char* kPlotCannotOpen = "gripplot: cannot open %s: %s\n";
inline constexpr const char* kPlotEmpty = "gripplot: %s holds no numbers to draw\n";
inline constexpr const char* kPlotEmptyTrace =
    "gripplot: %s holds no numbers to draw: only the discrete model (model type 2) writes a trace\n";
inline constexpr const char* kPlotLineTooLong = "gripplot: line %d of %s is longer than 255 characters\n";
inline constexpr const char* kPlotNotANumber = "gripplot: line %d of %s: \"%s\" is not a number\n";
inline constexpr const char* kPlotDecimalComma =
    "gripplot: line %d of %s: \"%s\" has a decimal comma (write numbers with a point)\n";
inline constexpr const char* kPlotNotFinite = "gripplot: line %d of %s: %s is not a finite number\n";
inline constexpr const char* kPlotColumnCount =
    "gripplot: line %d of %s holds %d numbers; result files hold 7 or 11 per line\n";
inline constexpr const char* kPlotMixedColumns = "gripplot: line %d of %s holds %d numbers where line %d holds %d\n";
inline constexpr const char* kPlotKindColumns = "gripplot: %s holds %d numbers per line; a %s file holds %d\n";
inline constexpr const char* kPlotRowLength =
    "gripplot: row %d of the contact patch in %s (from line %d) holds %d points where row 1 holds %d\n";
inline constexpr const char* kPlotRowY =
    "gripplot: line %d of %s has y = %g where its row of the contact patch has y = %g\n";
inline constexpr const char* kPlotRowX =
    "gripplot: line %d of %s has x = %g where the rows before have x = %g at that place\n";
inline constexpr const char* kPlotSeveralFiles =
    "gripplot: %s is a %s file; only measured-and-model files (compare) are drawn side by side\n";

// Notes on choices made for the picture.
inline constexpr const char* kPlotNoteEvaluations = "gripplot: note: %s holds %d evaluations; the last one is drawn\n";
inline constexpr const char* kPlotNoteAxis = "gripplot: note: %s: %s\n";
inline constexpr const char* kPlotNoTargetValue =
    "gripplot: note: %s holds no target value; the title goes without it\n";

// Making the picture.
inline constexpr const char* kPlotCannotWrite = "gripplot: cannot write %s: %s\n";
inline constexpr const char* kPlotCannotRunGnuplot = "gripplot: cannot run %s: %s (install gnuplot-nox)\n";
inline constexpr const char* kPlotGnuplotFailed = "gripplot: gnuplot failed (%s); %s was not written\n";
inline constexpr const char* kPlotNoValidPicture = "gripplot: gnuplot left no valid picture; %s was not written\n";

}  // namespace grip::msg

namespace grip::plot {

/// Exit statuses of gripplot.
enum ExitStatus : int {
  kExitOk = 0,         ///< the picture was written
  kExitUsage = 1,      ///< wrong command line
  kExitBadInput = 2,   ///< a result file cannot be read or has an unknown layout
  kExitNoPicture = 3,  ///< the picture could not be made; nothing is left behind
};

inline constexpr const char* kGnuplotProgram = "gnuplot";
inline constexpr const char* kGnuplotVariable = "GRIPPLOT_GNUPLOT";
inline constexpr const char* kDesignResultsName = "DesignResults.dat";
inline constexpr const char* kTargetValueKey = "[TargetValue]";
inline constexpr const char* kTraceFileName = "DiscreteOutput.dat";

/// Default picture sizes [px].
inline constexpr int kPatchWidth = 1200;
inline constexpr int kPatchHeight = 560;
inline constexpr int kSweepWidth = 900;
inline constexpr int kSweepHeight = 600;
inline constexpr int kCompareWidthPerFile = 640;
inline constexpr int kCompareHeight = 960;
inline constexpr int kMinPictureSide = 100;
inline constexpr int kMaxPictureSide = 10000;

}  // namespace grip::plot
