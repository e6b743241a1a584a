#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/ParameterSet.h"
#include "core/ResultSet.h"
#include "core/TyreModel.h"
#include "fit/FitMessages.h"
#include "fit/Preparation.h"
#include "fit/TargetDirection.h"

namespace grip {

/// Results of a design call that are no design count and no target value.
inline constexpr double kArgumentFault = 1e10;  ///< the arguments cannot be used
inline constexpr double kTargetFault = 1e11;    ///< DesignTarget.dat or a measurement file not read
inline constexpr double kStartFault = 1e12;     ///< DesignStart.dat not read, or no initialise before
inline constexpr double kResultFault = 1e13;    ///< terminate could not write a result file; the fit is kept

/// What a call identifier asks for, after truncation toward zero.
enum class DesignCall { initialise, run, terminate, invalid };

/// 0 initialises, -1 terminates, every other number runs; not a number is invalid.
DesignCall designCallOf(double identifier);

/// Values per measured point in the store.
inline constexpr std::size_t kMeasurementColumns = 7;

/// The measured points of all files as columns, point after point and file
/// after file, with each file's speed repeated per point: the input of one
/// batch evaluation over the whole target.
struct MeasuredColumns {
  std::vector<double> longitudinalSlip;  ///< [-]
  std::vector<double> slipAngle;         ///< [deg]
  std::vector<double> camber;            ///< [deg]
  std::vector<double> verticalLoad;      ///< measured load [N]
  std::vector<double> speed;             ///< the file's speed [mm/s]
  std::vector<double> Fx;                ///< measured [N]
  std::vector<double> Fy;                ///< measured [N]
  std::vector<double> Mz;                ///< measured [N*mm]
  std::vector<int> direction;            ///< target direction number of the point's file (TargetDirection)
};

struct DesignState;

/// The target value and the residuals of one model over the measured points
/// of a design state. Holds the model's forces of every point, allocated
/// once: an evaluation allocates nothing, reads no file and prints nothing.
/// Fits that run side by side each have their own evaluator and model.
class TargetEvaluator {
 public:
  TargetEvaluator(TyreModel& model, const DesignState& state);

  /// Mean load-normalised force error over every measured point [%] of the
  /// design variables (state.designCount values).
  double target(std::span<const double> designVariables);

  /// The same for the model's parameters as they are.
  double target();

  /// Signed errors, one per point and channel its TargetDirection compares,
  /// scaled so that their magnitudes add up to the target value: model
  /// minus measured, over the measured load, times 100 over the point count
  /// (and over the lever, 500, for Mz). Evaluates designVariables;
  /// residuals holds residualCount() values.
  void residuals(std::span<const double> designVariables, std::span<double> residuals);

  /// The same for the forces of the last evaluation.
  void residuals(std::span<double> residuals) const;

  /// Residuals of the design state: per point its direction's residualCount().
  std::size_t residualCount() const { return residualCount_; }

  /// The model's forces of point k from the last evaluation.
  double Fx(std::size_t k) const { return Fx_[k]; }
  double Fy(std::size_t k) const { return Fy_[k]; }
  double Mz(std::size_t k) const { return Mz_[k]; }

 private:
  void evaluateAll();

  TyreModel& model_;
  const DesignState& state_;
  std::vector<double> Fx_, Fy_, Mz_;
  std::size_t residualCount_ = 0;
};

/// Everything the fit keeps from one call to the next: the tyre model built
/// at initialise, the design variables of the design start file, the
/// measurement store of the target file and the last target value.
/// Default-constructed it is "not initialised" and holds nothing.
///
/// Once initialised, the fields other than model and targetValue are only
/// read: fits that run side by side share them, each with a model of its own.
struct DesignState {
  std::optional<TyreModel> model;  ///< parameters, model type and both variant records
  int totalPoints = 0;             ///< points of all measurement files
  int fileCount = 0;               ///< measurement files of the target list
  bool initialised = false;        ///< an initialise call completed, no terminate since
  int designCount = 0;             ///< design variables (0 to 33)

  std::vector<std::string> fileNames;       ///< measurement files of the target list
  std::vector<int> targetLine;              ///< per file: its line in the target list
  std::vector<int> PointsPerFile;           ///< points per measurement file (0 or more)
  std::vector<int> TargetDirectionPerFile;  ///< the number as read: 1 Fx, 2 Fy, 3 and above Fy and Mz (TargetDirection)
  std::vector<double> SpeedPerFile;         ///< speed of all points of a file [mm/s]
  std::vector<int> pointsBeyondCount;       ///< per file: points the file holds beyond its count (not used)
  std::string unreadFile;                   ///< the measurement file that could not be read, "" for none
  /// Seven numbers per point, file after file: slip [-], slip angle [deg],
  /// camber [deg], measured Fx [N], Fy [N], vertical load [N], measured Mz [N*mm].
  std::vector<double> measurements;
  MeasuredColumns columns;  ///< the same points as columns

  std::array<int, kParameterCount> designMask{};     ///< 1 for a design variable
  std::array<double, kParameterCount> lowerBound{};  ///< design bounds, 0 elsewhere
  std::array<double, kParameterCount> upperBound{};
  std::array<int, kParameterCount> boundsRead{};     ///< bounds found behind "designbounds": 0, 1 or 2
  std::array<int, kParameterCount> parameterLine{};  ///< line of DesignStart.dat that gave the value
  std::array<double, kParameterCount> startValues{};  ///< design variables as DesignStart.dat gives them

  double targetValue = 0.0;  ///< mean normalised force error of the last evaluation [%]
  /// The evaluator of the state's own model, made at initialise. It refers
  /// to the state, which is therefore not moved while initialised.
  std::unique_ptr<TargetEvaluator> evaluator;
  /// The record of the preparation found beside the target list (read at
  /// initialise, never in the search); nullopt: the folder was not prepared.
  std::optional<Preparation> preparation;
};

/// One call of the optimiser: initialise (reads the two design files,
/// returns the design count; the start values are in state.startValues),
/// run (returns the target value of designVariables) or terminate (returns
/// it, writes the result files and releases the state). Failures print their
/// message and return kArgumentFault, kTargetFault, kStartFault or
/// kResultFault. The design variables are only read. Nothing is thrown.
double handleDesignCall(DesignState& state, std::span<const double> designVariables, double identifier) noexcept;

/// Reads the target list (DesignTarget.dat) and the measurement files it
/// lists into the store; a relative measurement file name is taken from the
/// list's folder. Returns 1, or 0 after printing why not.
int readDesignTarget(DesignState& state, const std::string& targetFile = fit::kDesignTargetFile);

/// The direction of measurements that come as data (named name) rather
/// than from a target list, by the list's rule: nullopt, nothing printed,
/// below 1; above 3 it says msg::kDataTargetDirectionAbove and counts as 3.
std::optional<TargetDirection> dataTargetDirection(const std::string& name, int number);

/// Reads the design start file (DesignStart.dat) into the model (which must
/// exist), marks the design variables and sets the selected variant up.
/// Returns the parameter reader's result: 0 when the file cannot be used.
int readDesignStart(DesignState& state, const std::string& startFile = fit::kDesignStartFile);

/// The line that closes the messages of a target that could not be read:
/// the plug-in's fixed " error in reading file DesignTarget ", or (for the
/// program and Python) a line that names the measurement file at fault.
enum class TargetFaultLine { fixed, namingFile };

/// Initialise without the call protocol: a fresh model, both design files
/// read, the evaluator made. Returns 0, or kTargetFault or kStartFault
/// after printing why (the state is then released).
double initialiseDesign(DesignState& state, const std::string& startFile = fit::kDesignStartFile,
                        const std::string& targetFile = fit::kDesignTargetFile,
                        TargetFaultLine faultLine = TargetFaultLine::fixed);

/// Puts the design variables into the model's parameters and takes them into
/// the selected variant without allocating. designVariables holds
/// state.designCount values.
void applyDesignVariables(TyreModel& model, const DesignState& state, std::span<const double> designVariables);

/// Ends a parameter line of DesignResults.dat: the design bounds, the design
/// variable's number and its bound flag for a design variable, else only the
/// line end.
void writeDesignBounds(std::FILE* file, std::size_t parameter, const DesignState& state,
                       std::span<const double> designVariables, int& designIndex);

/// Target value of the state's own model at its parameters as they are,
/// kept in state.targetValue.
double evaluateTarget(DesignState& state);

/// Adds "file1.dat", "file2.dat", ... to the result set: per point the
/// operating point, the measured and the model's Fx, Fy and Mz of the last
/// evaluation. Returns false after printing which file could not be
/// written and why.
bool writeFileResults(DesignState& state, ResultSet& set);

/// Adds "DesignResults.dat" to the result set: the parameters as a
/// parameter file with the design bounds, and the target value. Returns
/// false after printing why it could not be written.
bool writeDesignResults(const DesignState& state, std::span<const double> designVariables, ResultSet& set);

/// Commits the result set: every file renamed into place, or none when one
/// was not written. Returns false after printing a rename that failed.
bool commitResults(ResultSet& set);

/// The same texts into an open stream: the listing of measurement file f
/// (from 0), and DesignResults.dat.
void writeListing(std::FILE* file, const DesignState& state, int measurementFile);
void writeDesignResults(std::FILE* file, const DesignState& state, std::span<const double> designVariables);

/// Name of the listing of measurement file f (from 0): "file1.dat", ...
std::string listingName(int measurementFile);

/// Fills state.columns from the measurement store, the points per file,
/// their speeds and directions; readDesignTarget does this after reading.
void fillMeasuredColumns(DesignState& state);

}  // namespace grip
