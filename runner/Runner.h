#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/LineReader.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "core/TyreModel.h"
#include "runner/RunnerMessages.h"

namespace grip {

class PointColumns;

/// Works through a run-control file: parameter-file, single-input, range and
/// file sections, in any order and number, each acting on the model as the
/// sections before it left it.
class Runner {
 public:
  Runner();

  /// Runs the named run-control file; returns the exit status of gripsim.
  int run(const std::string& controlFileName);

  TyreModel& model() { return model_; }

 private:
  void parameterSection();
  /// Single-input, range and file sections return false when the run must
  /// end (endStatus_ says why).
  bool singleInputSection();
  bool rangeSection();
  bool fileSection();

  /// Reads the next line of the section; reports the end of the file.
  bool sectionLine();
  /// Reads the next line as a keyed line with a real value; reports faults.
  /// A value that is not finite is reported too, and read.
  bool keyedReal(double& value, const char* name);
  bool operatingPoint(OperatingPoint& point);
  /// Reads the point count of a range; false (reported) unless it is a
  /// whole number from 1 to kMaxRangePoints.
  bool pointCount(int& points);
  /// True (reported, naming the section's line) when the result file is one
  /// of the files this run reads.
  bool resultIsAnInput(const std::string& resultName, int lineNumber);
  /// Evaluates the points of the chunk and appends their lines to the result;
  /// false (the reason kept in writeError_) when they could not be written.
  /// The chunk is empty afterwards.
  bool writeChunk(PointColumns& chunk, bool fileLayout, std::FILE* result);
  /// Closes a result file; false (reported with the file's name and the
  /// reason, the run to end with kExitNotWritten) when any of it could not
  /// be written.
  bool resultClosed(TextFile& result, const std::string& name, int errorOfWrites);
  /// Points of one batch evaluation.
  std::size_t chunkPoints() const;
  void fault() { status_ = std::max(status_, static_cast<int>(runner::kExitInputFault)); }

  TyreModel model_;
  std::optional<LineReader> control_;
  TextFile trace_;
  int sectionCounter_ = 0;
  std::string controlFileName_;
  std::string parameterFileName_;              ///< the parameter file named last
  std::vector<std::string> measurementFiles_;  ///< every measurement file opened by the run
  std::string rangeFileName_;                  ///< result of a range; stays for the next range without a name
  OperatingPoint rangeStart_{};                ///< start point of the range sweep
  OperatingPoint rangeEnd_{};                  ///< end point of the range sweep
  NumberLine rangeLine_;                       ///< layout of a range result line
  NumberLine fileLine_;                        ///< layout of a file result line
  std::string lineText_;                       ///< text of the result lines of one chunk, reused
  int status_ = 0;
  int endStatus_ = runner::kExitEndedEarly;  ///< exit status of a run that ends early
  int writeError_ = 0;                        ///< errno of the first failed write of a result file
};

}  // namespace grip
