#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "OperatingPoint.h"
#include "ParameterSet.h"
#include "TyreForces.h"
#include "TyreVariant.h"

namespace grip {

/// Model types of the parameter file.
inline constexpr int kContinuousModel = 1;
inline constexpr int kDiscreteModel = 2;
/// Model type before any parameter file was read: neither variant.
inline constexpr int kNoModel = 0;

/// The variants of a tyre model indexed by model type: entry 1 serves model
/// 1 (continuous), entry 2 model 2 (discrete); entry 0 (kNoModel) and any
/// other empty entry serve no model.
using TyreVariants = std::vector<std::unique_ptr<TyreVariant>>;

/// Called for every value line of a parameter file whose value was stored,
/// with the parameter's position, the line as read and its number (from 1).
using ValueLineHook = std::function<void(std::size_t index, const std::string& line, int lineNumber)>;

class TyreModel;

/// Ends one parameter line of a written parameter file (the value and its
/// unit are written): for instance with the design bounds of a fit result.
using ParameterLineEnd = std::function<void(std::FILE* file, std::size_t parameter)>;

/// Writes the five parameter blocks and the model block of model, each value
/// under the name its variant reads it by and as a magnitude where the
/// selected variant's description says it uses one (no variant selected: as
/// held); every line ends with a line end, or as lineEnd ends it.
/// The caller writes what follows the model block.
void writeParameterBlocks(std::FILE* file, const TyreModel& model, const ParameterLineEnd& lineEnd = nullptr);

/// Writes a whole parameter file: the blocks and "[Eof]". Returns false,
/// silently, when the file cannot be opened or written.
bool writeParameterFile(const std::string& fileName, const TyreModel& model);

/// The tyre model: the parameter set, the operating point and forces, and
/// the records of the model variants, of which the model type selects one.
class TyreModel {
 public:
  explicit TyreModel(TyreVariants variants);

  /// Reads the named parameter file and sets up the selected variant,
  /// calling onValueLine (when set) for every stored value line. Returns the
  /// count of the last block header found, plus 1 when the model block was
  /// found; 0 when the file cannot be opened or the model type is neither 1
  /// nor 2.
  int readParameterFile(const std::string& fileName, const ValueLineHook& onValueLine);

  /// Takes a whole parameter set and a model number as a parameter file
  /// holding them would give them, and sets up the selected variant.
  /// Returns the error count: 0 when the variant is ready, else the set-up
  /// code or 1 for a model number that is neither 1 nor 2 (nothing printed).
  int setUp(const ParameterSet& values, double modelNumber);

  /// Name under which the selected variant reads and writes a parameter (the
  /// common name when no variant is selected).
  const char* parameterName(std::size_t parameter) const;

  /// True when the selected variant takes the parameter only at set-up, so
  /// that a refresh does not change it (the grid counts of the discrete model).
  bool fixedAtSetUp(std::size_t parameter) const;

  /// The variant that serves modelType, or nullptr.
  TyreVariant* variant(int modelType) const;

  /// Description of the selected variant; nullptr when none is selected.
  const VariantDescription* description() const;

  /// Evaluates the selected variant at input into forces.
  void evaluate();

  /// Forces of one operating point by the selected variant; leaves input
  /// and forces as they were. Zero forces (and the message of evaluate())
  /// when no variant is set up.
  TyreForces evaluate(const OperatingPoint& point);

  /// Forces of many operating points by the selected variant; out must be as
  /// long as in. Zero forces (and one message) when no variant is set up.
  /// Allocates nothing.
  void evaluate(const OperatingColumns& in, const ForceColumns& out);

  /// Contact area [mm^2], half length h and half width b of the last evaluation.
  void contactArea(double& area, double& h, double& b) const;

  /// Puts the parameters into the selected variant again without allocating;
  /// false (and nothing done) when that variant is not set up.
  bool refreshVariant();

  /// True when the selected variant was set up by the last parameter read.
  bool variantReady() const { return variantReady_; }

  /// Trace flag and stream of the selected variant (ignored by a variant
  /// without a trace, and when none is selected).
  void setTrace(int flag, std::FILE* stream);

  int parameterCount = 0;         ///< values the last read took from the file (33 when complete)
  ParameterSet parameters{};      ///< parameter values in file order
  OperatingPoint input{};         ///< operating point of the next evaluation
  TyreForces forces{};            ///< result of the last evaluation
  int errorCount = 0;             ///< 0 when the last read succeeded
  int modelType = kNoModel;       ///< 1 continuous, 2 discrete
  double modelNumber = kNoModel;  ///< the number of the model block; modelType is it truncated

 private:
  TyreVariant* selectedVariant() const;
  bool reportIfNotReady() const;

  TyreVariants variants_;
  bool variantReady_ = false;
  std::string lastReadFile_;
};

}  // namespace grip
