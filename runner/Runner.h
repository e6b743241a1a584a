#pragma once

#include <algorithm>
#include <optional>
#include <string>

#include "core/LineReader.h"
#include "core/TextFile.h"
#include "core/TyreModel.h"
#include "runner/RunnerMessages.h"

namespace grip {

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
  void singleInputSection();
  /// Range and file sections return false when the run must end.
  bool rangeSection();
  bool fileSection();

  /// Reads the next line of the section; reports the end of the file.
  bool sectionLine();
  /// Reads the next line as a keyed line with a real value; reports faults.
  bool keyedReal(double& value);
  bool operatingPoint(OperatingPoint& point);
  void fault() { status_ = std::max(status_, static_cast<int>(runner::kExitInputFault)); }

  TyreModel model_;
  std::optional<LineReader> control_;
  TextFile trace_;
  int sectionCounter_ = 0;
  std::string parameterFileName_;  ///< the parameter file read last
  std::string rangeFileName_;      ///< result file of a range; stays for the next range without a name
  OperatingPoint rangeStart_{};    ///< start point of the range sweep
  OperatingPoint rangeEnd_{};      ///< end point of the range sweep
  int status_ = 0;
};

}  // namespace grip
