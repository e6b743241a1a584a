#pragma once

// Console texts, file names and result formats of the gripfit plug-in.
// Optimiser scripts match the messages, and the result files are read back
// as parameter files, so every text stays exactly as it is.

namespace grip::msg {

// mexFunction: printed through the host's command window.
inline constexpr const char* kDesignArgumentCount =
    " number of arguments should be 2: array of design variables, call identifier \n";
inline constexpr const char* kIdentifierShape =
    " dimension of argument 2 should be 1: call identifier (0=initialise, 1=run, -1=terminate)\n";
inline constexpr const char* kDesignVariableCount = " number of design variables = %d\n";
inline constexpr const char* kArgumentType =
    " arguments should be real double arrays: array of design variables, call identifier \n";
inline constexpr const char* kIdentifierEmpty =
    " argument 2 holds no value: call identifier (0=initialise, 1=run, -1=terminate)\n";

// The call lifecycle.
inline constexpr const char* kDesignTargetFailed = " error in reading file DesignTarget \n";
inline constexpr const char* kDesignStartFailed = " error in reading file DesignStart \n";
inline constexpr const char* kInitialiseFirst = " call function (design,0) first \n";
inline constexpr const char* kIdentifierNotANumber =
    " call identifier is not a number: 0=initialise, 1=run, -1=terminate\n";
inline constexpr const char* kDesignArrayTooSmall =
    " array of design variables holds %d values where %d design variables are expected\n";
inline constexpr const char* kDesignValueNotFinite = " design variable %d = %g is not a finite number\n";
inline constexpr const char* kOutOfMemory = " no memory left for the design state: call function (design,0) again\n";
inline constexpr const char* kUnexpectedFault = " internal fault: %s: call function (design,0) again\n";

// The design start file.
inline constexpr const char* kGridDesignVariable =
    " DesignStart.dat marks %s as a design variable: model 2 sizes its grid from %s once, at initialise\n";

inline constexpr const char* kParameterNotFinite = " %s line %d: parameter %s = %g is not a finite number\n";

// The target file and the measurement files.
inline constexpr const char* kUnableToOpenInput = " unable to open input file %s for reading\n";
inline constexpr const char* kPointsPerFileAllocation =
    " PointsPerFile: unable to open allocate %d int reading measurements\n";
inline constexpr const char* kTargetDirectionAllocation =
    " TargetDirectionPerFile: unable to open allocate %d int reading measurements\n";
inline constexpr const char* kDoubleAllocation = " unable to open allocate %d double reading measurements\n";
inline constexpr const char* kOptifileLine = " Optifile : Missing line or missing = at line %d in file %s\n";
inline constexpr const char* kMissingMeasurement = " missing line at %d in file %s\n";
inline constexpr const char* kPointsFound = " %s holds %d points where %d are promised (line %d of %s)\n";
inline constexpr const char* kPointsNotWhole =
    " %s line %d: points = %s should be a whole number of 0 or more: %s\n";
inline constexpr const char* kDirectionNotWhole =
    " %s line %d: direction = %s should be a whole number, 1 (Fx), 2 (Fy) or 3 (Fy and Mz): %s\n";
inline constexpr const char* kMeasurementFileFailed =
    " error in reading measurement file %s listed in %s \n";
inline constexpr const char* kFileCountTooSmall = " %s line 2: number of files %d should be 1 or more\n";
inline constexpr const char* kFewerFiles = " %s lists %d measurement files where line 2 declares %d\n";
inline constexpr const char* kMoreFiles =
    " %s line %d lists a measurement file beyond the %d that line 2 declares: %s\n";
inline constexpr const char* kTargetDirection =
    " %s line %d: target direction %d should be 1 (Fx), 2 (Fy) or 3 (Fy and Mz): %s\n";
inline constexpr const char* kTargetDirectionAbove =
    " %s line %d: target direction %d counts as 3 (Fy and Mz): %s\n";
inline constexpr const char* kDataTargetDirectionAbove = " target %s: direction %d counts as 3 (Fy and Mz)\n";
inline constexpr const char* kSpeedNotFinite = " %s line %d: speed %g is not a finite number: %s\n";
inline constexpr const char* kNotAPointLine =
    " line %d of %s does not hold the seven numbers of one measured point: %s\n";
inline constexpr const char* kMeasurementNotFinite = " line %d of %s: number %zu (%g) is not a finite number\n";
inline constexpr const char* kLoadNotPositive = " line %d of %s: vertical load %g N should be above 0\n";
inline constexpr const char* kNoPoints = " %s declares no measured point: every point count is 0 or less\n";
inline constexpr const char* kTooManyPoints = " %s declares %lld points in all, more than %d\n";

// The validation before a search: each names the file, the line and the value.
inline constexpr const char* kNoDesignBounds = "%s line %d: design variable %s has no design bounds (designbounds LOWER UPPER)";
inline constexpr const char* kNoUpperBound = "%s line %d: design variable %s has no upper design bound (designbounds %g UPPER)";
inline constexpr const char* kBoundsReversed = "%s line %d: design variable %s: lower bound %g is not below upper bound %g";
inline constexpr const char* kStartOutsideBounds =
    "%s line %d: design variable %s = %g is outside its bounds %g to %g: the search starts from %g";
inline constexpr const char* kWholeNumberDesign =
    "%s line %d: %s = %g is a whole number (a count or a switch) and cannot be a design variable";
inline constexpr const char* kPointsBeyondCount =
    "%s line %d: %s holds more points than its points = %d: the %d beyond are not used";
inline constexpr const char* kBoundNotFinite = "%s line %d: design variable %s: %s bound %g is not a finite number";
inline constexpr const char* kBoundNotWritable =
    "%s line %d: design variable %s: %s bound %s is beyond %s, the largest the parameter file writes and reads back";
inline constexpr const char* kBoundRangeOverflows =
    "%s line %d: design variable %s: the range of its bounds %g to %g is beyond the largest number";
inline constexpr const char* kValueNotWritable =
    "%s line %d: %s = %s is beyond %s, the largest the parameter file writes and reads back";

// The search options, as every host prints them.
inline constexpr const char* kBadStarts = "starts = %d should be 0 (chosen by the problem) to %d";
inline constexpr const char* kBadMaxEvaluations = "max_evals = %ld should be 0 (chosen by the problem) or more";
inline constexpr const char* kBadThreads = "threads = %d should be 0 (the machine's cores) to %d";
inline constexpr const char* kBadRestartGain = "restart gain %g should be a finite number of 0 or more [%%-points]";
inline constexpr const char* kBadDifferenceStep =
    "difference step %g should be above 0 and below 1 [share of the bound range]";
inline constexpr const char* kBudgetTooSmall =
    "max_evals = %ld is too small for %s with %d design variables and %d starts: each start's share needs %ld "
    "evaluations for the first step, so max_evals should be %ld or more";
inline constexpr const char* kNotInitialised = "the design state is not initialised or has no design variable";

// Result files.
inline constexpr const char* kCantOpenListing = " Can't open result file number %d\n";
inline constexpr const char* kCantOpenDesignResults = " Can't open result file number \n";
inline constexpr const char* kResultNotWritten =
    " result file %s not written (%s): the fit is kept, call function (design,-1) again\n";

}  // namespace grip::msg

namespace grip::fit {

inline constexpr const char* kDesignStartFile = "DesignStart.dat";
inline constexpr const char* kDesignTargetFile = "DesignTarget.dat";
inline constexpr const char* kDesignResultsFile = "DesignResults.dat";
/// Listing of measurement file f (from 0): "file" f+1 ".dat".
inline constexpr const char* kListingPrefix = "file";
inline constexpr const char* kListingSuffix = ".dat";

inline constexpr const char* kDesignBoundsKey = "designbounds";
inline constexpr const char* kTargetListEnd = "[Eof]";

// A listing line: operating point, measured Fx Fy Mz, model Fx Fy Mz.
inline constexpr const char* kListingOperatingPoint = "%+12.6e %+12.6e %+12.6e %+12.6e %+12.6e ";
inline constexpr const char* kListingMeasured = "%+12.6e %+12.6e %+12.6e  ";
inline constexpr const char* kListingModel = "%+12.6e %+12.6e %+12.6e\n";

// DesignResults.dat: a parameter file with the design bounds, then the target value.
inline constexpr const char* kDesignBoundsLine = " designbounds  %+12.6e %+12.6e   %3d %3d\n";
inline constexpr const char* kTargetHeader = "[TargetValue]\n";
inline constexpr const char* kTargetLine = " target   = %lf \n";

// The fit report (FitReport.txt and the CSV form): scripts read them, so the
// layout stays as it is.
inline constexpr const char* kReportTarget =
    "target  %.6f %%  mean over %d points of |model - measured| / Fz; Mz counts as its error over %g Fz\n";
inline constexpr const char* kReportNoSearch = "search  none: the design as given\n";
inline constexpr const char* kReportSearch = "search  %s, %d starts, %ld evaluations, %.2f s%s\n";
inline constexpr const char* kReportInterrupted = ", interrupted: the best design found so far";
inline constexpr const char* kReportLocalHeader = "\n  no. kind     method      evaluations  target[%]  stopped by\n";
inline constexpr const char* kReportLocalLine = "%5d %-7s  %-10s %12ld %11.6f  %s\n";
inline constexpr const char* kReportLocalNoTarget = "%5d %-7s  %-10s %12ld %11s  %s\n";
inline constexpr const char* kReportMessage = "message (%ld times): %s";
inline constexpr const char* kReportMessagesNotKept = "messages of %ld further texts, not kept\n";
inline constexpr const char* kReportChannelHeader =
    "\n%-*s dir channel points  mean[%%Fz]   rms[%%Fz]      mean       rms  meas.peak model.peak unit  share[%%pt]\n";
inline constexpr const char* kReportChannelLine = "%-*s %3d %-2s %-4s %6d %10.3f %10.3f %9.1f %9.1f %10.1f %10.1f ";
inline constexpr const char* kReportChannelNote =
    "(* counts in the target; share: its part of the target value [%-points])\n";
inline constexpr const char* kReportDesignHeader = "\n%-*s %14s %14s %14s %14s  bound\n";
inline constexpr const char* kReportDesignLine = "%-*s %+14.6e %+14.6e %+14.6e %+14.6e%s%s\n";
inline constexpr const char* kReportOnBound = "on a bound: %s\n";
// The preparation's part, last, only for a folder gripfit prepare wrote.
inline constexpr const char* kReportPreparedHeader = "\nprepared by gripfit prepare (%s), from runs in %s axes:\n";
inline constexpr const char* kReportPreparedRun = " %s: %zu samples, written in %s axes\n";
inline constexpr const char* kReportPreparedWarnings = "preparation warnings (--force): %zu\n";
inline constexpr const char* kReportPreparedWarning = " warning (--force): %s\n";
inline constexpr const char* kReportPreparedClean = "preparation warnings: none\n";
inline constexpr const char* kReportPreparedFault = "\npreparation record not read: %s\n";
inline constexpr const char* kReportCsvChannelHeader =
    "file,direction,channel,in_target,points,mean_error,rms_error,mean_error_percent,rms_error_percent,"
    "measured_peak,model_peak,unit,target_share\n";
inline constexpr const char* kReportCsvDesignHeader = "\nvariable,start,value,lower,upper,bound\n";

}  // namespace grip::fit
