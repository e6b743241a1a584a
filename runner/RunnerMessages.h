#pragma once

// Console texts, section keys and file names of gripsim. Run-control files,
// scripts and stored results depend on them exactly as they stand.

#include <cstddef>

namespace grip::msg {

inline constexpr const char* kArgumentCount = " number of arguments should be 1: inputfile \n";
inline constexpr const char* kUnableToOpenControlFile = " unable to open input file %s\n";
inline constexpr const char* kForces = " Fx   = %lf, Fy = %lf, Mz = %lf \n";
inline constexpr const char* kArea = " Area = %lf,  h = %lf,  b = %lf, h*b = %lf \n";
inline constexpr const char* kUnableToOpenOutput = " unable to open output file %s\n";
inline constexpr const char* kUnableToWriteOutput = " unable to write output file %s (%s): the run ends\n";
inline constexpr const char* kUnableToOpenData = " unable to open data file %s\n";
inline constexpr const char* kShortMeasurementLine =
    " line %d of %s holds fewer than seven numbers and is skipped: %s\n";
inline constexpr const char* kLongMeasurementLine =
    " line %d of %s holds more than the seven numbers of one point; the point takes the first seven: %s\n";

// Faults found by gripsim itself, each naming the file, the line and the value.
inline constexpr const char* kResultIsInput =
    " line %d of %s: result file %s is an input of this run and is not overwritten\n";
inline constexpr const char* kPointCount =
    " line %d of %s: the number of points should be a whole number of 1 or more, not %s\n";
inline constexpr const char* kTooManyPoints =
    " line %d of %s: %s points are more than the %d a range may write (about 1 GB of text)\n";
inline constexpr const char* kNotFinite =
    " line %d of %s: %s %g is not a finite number; the point is evaluated with it\n";

}  // namespace grip::msg

namespace grip::runner {

inline constexpr const char* kEofKey = "[Eof]";
inline constexpr const char* kDataFileNameKey = "[DataFileName]";
inline constexpr const char* kSingleInputKey = "[SingleInput";
inline constexpr const char* kRangeInputKey = "[RangeInput";
inline constexpr const char* kFileInputKey = "[FileInput";

inline constexpr const char* kTraceFileName = "DiscreteOutput.dat";
inline constexpr const char* kDefaultRangeFileName = "TractalOutputx.dat";
inline constexpr const char* kFileResultPrefix = "TractalFinput";
inline constexpr const char* kFileResultSuffix = ".dat";

inline constexpr const char* kRangeLineFormat =
    " %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e\n";
inline constexpr const char* kFileLineFormat =
    " %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e  %+12.6e %+12.6e %+12.6e\n";

/// Most points of one range. A range line is about 100 characters, so the
/// limit keeps a result file near 1 GB: more than any plot or fit can use,
/// and a mistyped count (an extra digit or two) ends in a message rather
/// than in hours of writing and a full disk.
inline constexpr int kMaxRangePoints = 10'000'000;

/// Points evaluated together in range and file sections.
inline constexpr std::size_t kChunkPoints = 1024;

/// Names of the five values of an operating point in messages, in file order.
inline constexpr const char* kPointValueNames[] = {"slip", "slip angle", "camber", "load", "speed"};

/// Exit statuses of gripsim.
enum ExitStatus : int {
  kExitOk = 0,            ///< the run went through without a fault
  kExitInputFault = 1,    ///< a fault was reported (a parameter file not read or
                          ///< rejected, a faulty section) and the run went on
  kExitEndedEarly = 2,    ///< a range or file section could not open a file
  kExitCannotStart = 3,   ///< wrong arguments, or the run-control file is not readable
  kExitNotWritten = 4,    ///< a result file could not be written whole (disk full, too
                          ///< large, a write fault); the run ended with its section
};

}  // namespace grip::runner
