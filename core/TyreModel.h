#pragma once

#include <functional>
#include <memory>
#include <string>

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

/// Called for every value line of a parameter file whose value was stored,
/// with the parameter's position and the line as read.
using ValueLineHook = std::function<void(std::size_t index, const std::string& line)>;

/// The tyre model: the parameter set, the operating point and forces, and
/// one record of each model variant, of which the model type selects one.
class TyreModel {
 public:
  TyreModel(std::unique_ptr<TyreVariant> continuousModel, std::unique_ptr<TyreVariant> discreteModel);

  /// Reads the named parameter file and sets up the selected variant,
  /// calling onValueLine (when set) for every stored value line. Returns the
  /// count of the last block header found, plus 1 when the model block was
  /// found; 0 when the file cannot be opened or the model type is neither 1
  /// nor 2.
  int readParameterFile(const std::string& fileName, const ValueLineHook& onValueLine);

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

  /// Trace flag and stream of the discrete model.
  void setTrace(int flag, std::FILE* stream) { discrete->setTrace(flag, stream); }

  int parameterCount = 0;         ///< values the last read took from the file (33 when complete)
  ParameterSet parameters{};      ///< parameter values in file order
  OperatingPoint input{};         ///< operating point of the next evaluation
  TyreForces forces{};            ///< result of the last evaluation
  int errorCount = 0;             ///< 0 when the last read succeeded
  int modelType = kNoModel;       ///< 1 continuous, 2 discrete
  double modelNumber = kNoModel;  ///< the number of the model block; modelType is it truncated

  std::unique_ptr<TyreVariant> discrete;
  std::unique_ptr<TyreVariant> continuous;

 private:
  TyreVariant* selectedVariant() const;
  bool reportIfNotReady() const;

  bool variantReady_ = false;
  std::string lastReadFile_;
};

}  // namespace grip
