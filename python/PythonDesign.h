#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "fit/DesignState.h"
#include "fit/Report.h"
#include "fit/Search.h"
#include "fit/SweepCurve.h"

namespace grip {

/// A design variable given by name from Python: its parameter and bounds.
struct DesignVariable {
  std::size_t parameter = 0;
  double lower = 0.0;
  double upper = 0.0;
};

/// One measurement file's worth of target data given from Python.
struct TargetData {
  std::string name;                  ///< stands for the file name in messages and reports
  std::vector<double> measurements;  ///< seven numbers per point, as a measurement file holds them
  int direction = 1;                 ///< 1 Fx, 2 Fy, 3 (or more) Fy and Mz
  double speed = 0.0;                ///< [mm/s]
};

/// The design start given from Python: the tyre and the design variables.
struct StartData {
  ParameterSet parameters{};
  double modelNumber = 1.0;
  std::vector<DesignVariable> design;
};

/// Where each half of a design comes from: a file name or data.
using StartSource = std::variant<std::string, StartData>;
using TargetSource = std::variant<std::string, std::vector<TargetData>>;

/// A result file of a fit: its name and its whole text.
using ResultFile = std::pair<std::string, std::string>;

/// The search as the Python fit runs it.
struct FitOutcome {
  SearchResult search;
  std::vector<DesignIssue> issues;  ///< warnings of the validation (errors throw)
};

/// An initialised design state for Python, made from the two design files
/// or from data: the design variables and their bounds, the measured points
/// and the evaluator of the target value and the residuals. A mutex keeps
/// two threads from evaluating it at once. Faults throw
/// std::invalid_argument with the library's messages; nothing is printed.
class PythonDesign {
 public:
  /// Both files: the plug-in's initialise. Either half may instead come as
  /// data; a relative measurement file name is taken from the target file's folder.
  PythonDesign(const StartSource& start, const TargetSource& target);

  int designCount() const { return state_->designCount; }
  std::size_t residualCount() const { return state_->evaluator->residualCount(); }
  int modelType() const { return state_->model->modelType; }
  /// Names, start values and bounds of the design variables, in file order.
  std::vector<std::string> names() const;
  std::vector<double> startValues() const;
  std::vector<double> lowerBounds() const;
  std::vector<double> upperBounds() const;
  /// Points per target and the targets' names.
  std::vector<int> pointsPerTarget() const { return state_->PointsPerFile; }
  std::vector<std::string> targetNames() const { return state_->fileNames; }
  /// Per target, its direction number and speed [mm/s] as read; and the
  /// measured points of all targets, seven numbers each, target after target.
  std::vector<int> directionsPerTarget() const { return state_->TargetDirectionPerFile; }
  std::vector<double> speedsPerTarget() const { return state_->SpeedPerFile; }
  const std::vector<double>& measurements() const { return state_->measurements; }

  double target(std::span<const double> design);
  void residuals(std::span<const double> design, std::span<double> out);
  /// The model's parameters with the design variables in place.
  ParameterSet parametersAt(std::span<const double> design);
  double modelNumber() const { return state_->model->modelNumber; }

  /// What the plug-in's terminate writes for design: "file1.dat", ... and
  /// "DesignResults.dat", as texts.
  std::vector<ResultFile> resultFiles(std::span<const double> design);

  /// Validates the design and searches it; an error of the validation or
  /// options the library refuses for this design (SearchOptions::isValidFor)
  /// throw std::invalid_argument, a search that could not run std::runtime_error.
  /// stop (optional), set from another thread, ends the search early with
  /// the best design found.
  FitOutcome fit(const SearchOptions& options, const std::atomic<bool>* stop = nullptr);
  /// The per-file, per-channel report of the design a search found.
  FitReport report(const SearchResult& search);
  /// The sweeps of the report's design (sweepCurves), and the report page
  /// (reportHtml) drawn over them.
  std::string reportPage(const FitReport& report, std::span<const SweepCurve> sweeps);
  std::vector<SweepCurve> sweeps(const SearchResult& search);
  /// What a fit chooses for the options left at zero.
  SearchMethod defaultMethod() const { return defaultSearchMethod(*state_); }
  int defaultStartCount() const { return defaultStarts(*state_); }
  long defaultEvaluationCount() const { return defaultMaxEvaluations(*state_); }

  /// Warnings that the design files gave while they were read.
  const std::string& messages() const { return messages_; }
  const DesignState& state() const { return *state_; }

 private:
  void checkDesign(std::span<const double> design) const;
  void takeStart(const StartData& start);
  void takeTargets(const std::vector<TargetData>& targets);

  std::unique_ptr<DesignState> state_;  // never moved while initialised: the evaluator refers to it
  std::string startFile_;
  std::string targetFile_;
  std::string messages_;
  std::mutex mutex_;
};

}  // namespace grip
