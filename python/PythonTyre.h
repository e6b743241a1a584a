#pragma once

#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Batch.h"
#include "core/TyreModel.h"

namespace grip {

/// Position of a parameter by its name: the common name or, for the
/// sliding friction pairs, the name they carry under the speed-table law
/// (as the variants' descriptions give them).
std::optional<std::size_t> parameterIndex(std::string_view name);

/// The 33 common parameter names in file order, from the descriptions; and
/// comma-separated, for fault texts.
std::vector<std::string> parameterNames();
std::string parameterNameList();

/// True for a count or a switch of any variant: a whole number in a file.
bool wholeNumberParameter(std::size_t parameter);

/// The columns of a per-point trace of the discrete model: x, y, ux, uy,
/// pz, fx, fy as the trace writes them, and the lateral column (from 0).
inline constexpr std::size_t kTraceValues = 7;

/// A tyre for Python: one tyre model, set up from a parameter file or a
/// parameter set, guarded by a mutex so that two threads never evaluate it
/// at once. Faults throw std::invalid_argument with the library's messages;
/// nothing is printed.
class PythonTyre {
 public:
  PythonTyre();

  /// Reads a parameter file and sets its variant up.
  void read(const std::string& fileName);
  /// Takes a whole parameter set and a model number (1 or 2).
  void setUp(const ParameterSet& parameters, double modelNumber);
  /// Writes the parameter file as gripsim and gripfit write it; false when
  /// the file cannot be opened or written.
  bool write(const std::string& fileName) const;

  int modelType() const { return model_.modelType; }
  double modelNumber() const { return model_.modelNumber; }
  ParameterSet parameters() const;
  /// Changes one parameter and sets the model up again; on a fault the
  /// parameters stay as they were.
  void setParameter(std::size_t parameter, double value);
  /// Names under which the selected variant writes the parameters.
  std::vector<std::string> writtenNames() const;

  /// Forces of many operating points by the batch path; call without the GIL.
  void evaluate(const OperatingColumns& in, const ForceColumns& out);
  /// Forces of one operating point by the scalar path.
  TyreForces evaluate(const OperatingPoint& point);
  /// The contact patch that one evaluation at point leaves, as gripsim
  /// reports it for a single input.
  ContactPatch contactPatch(const OperatingPoint& point);
  /// The per-point trace of one evaluation of the discrete model: per grid
  /// point the kTraceValues numbers and its lateral column.
  void trace(const OperatingPoint& point, std::vector<double>& values, std::vector<int>& column);

 private:
  TyreModel model_;
  std::mutex mutex_;
};

}  // namespace grip
