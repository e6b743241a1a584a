#pragma once

#include <array>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "core/ParameterSet.h"
#include "core/TyreModel.h"

namespace grip {

/// Results of a design call that are no design count and no target value.
inline constexpr double kArgumentFault = 1e10;  ///< the arguments cannot be used
inline constexpr double kTargetFault = 1e11;    ///< DesignTarget.dat or a measurement file not read
inline constexpr double kStartFault = 1e12;     ///< DesignStart.dat not read, or no initialise before

/// What a call identifier asks for, after truncation toward zero.
enum class DesignCall { initialise, run, terminate, invalid };

/// 0 initialises, -1 terminates, every other number runs; not a number is invalid.
DesignCall designCallOf(double identifier);

/// Everything the fit keeps from one call to the next: the tyre model built
/// at initialise, the design variables of the design start file, the
/// measurement store of the target file and the last target value.
/// Default-constructed it is "not initialised" and holds nothing.
struct DesignState {
  std::optional<TyreModel> model;  ///< parameters, model type and both variant records
  int totalPoints = 0;             ///< points of all measurement files
  int fileCount = 0;               ///< measurement files of the target list
  bool initialised = false;        ///< an initialise call completed, no terminate since
  int designCount = 0;             ///< design variables (0 to 33)

  std::vector<int> PointsPerFile;           ///< points per measurement file (0 or more)
  std::vector<int> TargetDirectionPerFile;  ///< 1 Fx, 2 Fy, 3 and above Fy and Mz
  std::vector<double> SpeedPerFile;         ///< speed of all points of a file [mm/s]
  /// Seven numbers per point, file after file: slip [-], slip angle [deg],
  /// camber [deg], measured Fx [N], Fy [N], vertical load [N], measured Mz [N*mm].
  std::vector<double> measurements;

  std::array<int, kParameterCount> designMask{};     ///< 1 for a design variable
  std::array<double, kParameterCount> lowerBound{};  ///< design bounds, 0 elsewhere
  std::array<double, kParameterCount> upperBound{};
  std::array<double, kParameterCount> startValues{};  ///< design variables as DesignStart.dat gives them

  double targetValue = 0.0;  ///< mean normalised force error of the last evaluation [%]
};

/// Values per measured point in the store.
inline constexpr std::size_t kMeasurementColumns = 7;

/// One call of the optimiser: initialise (reads the two design files, writes
/// the start values into designVariables, returns the design count), run
/// (returns the target value of designVariables) or terminate (returns it,
/// writes the result files and releases the state). Failures print their
/// message and return kArgumentFault, kTargetFault or kStartFault. Nothing
/// is thrown.
double handleDesignCall(DesignState& state, std::span<double> designVariables, double identifier) noexcept;

/// Reads DesignTarget.dat and the measurement files it lists into the store.
/// Returns 1, or 0 after printing why not.
int readDesignTarget(DesignState& state);

/// Reads DesignStart.dat into the model (which must exist), marks the design
/// variables, writes their start values into designVariables (as many as fit)
/// and sets the selected variant up. Returns the parameter reader's result:
/// 0 when the file cannot be used.
int readDesignStart(DesignState& state, std::span<double> designVariables);

/// Puts the design variables into the parameters and takes them into the
/// selected variant without allocating. designVariables holds designCount values.
void applyDesignVariables(DesignState& state, std::span<const double> designVariables);

/// Ends a parameter line of DesignResults.dat: the design bounds, the design
/// variable's number and its bound flag for a design variable, else only the
/// line end.
void writeDesignBounds(std::FILE* file, std::size_t parameter, const DesignState& state,
                       std::span<const double> designVariables, int& designIndex);

/// Mean load-normalised force error of the model over every measured point [%].
/// Needs a set-up variant; reads no file, allocates nothing, prints nothing.
double evaluateTarget(DesignState& state);

/// Writes "file1.dat", "file2.dat", ...: per point the operating point, the
/// measured and the model's Fx, Fy and Mz.
void writeFileResults(DesignState& state);

/// Writes "DesignResults.dat": the parameters as a parameter file with the
/// design bounds, and the target value.
void writeDesignResults(const DesignState& state, std::span<const double> designVariables);

}  // namespace grip
