#pragma once

#include <cstddef>
#include <vector>

#include "core/Batch.h"
#include "core/OperatingPoint.h"
#include "core/TyreForces.h"

namespace grip {

/// One chunk of the points of a range or file section as columns: operating
/// point, measured forces (file sections) and computed forces. The columns
/// are allocated once, for a whole section; filling and evaluating a chunk
/// allocates nothing.
class PointColumns {
 public:
  explicit PointColumns(std::size_t capacity)
      : slip_(capacity), alpha_(capacity), camber_(capacity), load_(capacity), speed_(capacity),
        measuredFx_(capacity), measuredFy_(capacity), measuredMz_(capacity), Fx_(capacity), Fy_(capacity),
        Mz_(capacity) {}

  std::size_t size() const { return size_; }
  bool full() const { return size_ == slip_.size(); }
  void clear() { size_ = 0; }

  /// Adds a point with its measured forces; false (nothing added) when full.
  bool add(const OperatingPoint& point, const TyreForces& measured = {}) {
    if (full()) return false;
    slip_[size_] = point.longitudinalSlip;
    alpha_[size_] = point.slipAngle;
    camber_[size_] = point.camber;
    load_[size_] = point.verticalLoad;
    speed_[size_] = point.speed;
    measuredFx_[size_] = measured.Fx;
    measuredFy_[size_] = measured.Fy;
    measuredMz_[size_] = measured.Mz;
    ++size_;
    return true;
  }

  /// The points added, as the input of a batch evaluation.
  OperatingColumns operating() const {
    return {head(slip_), head(alpha_), head(camber_), head(load_), head(speed_)};
  }
  /// Where the batch evaluation of the points added puts its forces.
  ForceColumns computed() { return {head(Fx_), head(Fy_), head(Mz_)}; }

  OperatingPoint point(std::size_t k) const { return {slip_[k], alpha_[k], camber_[k], load_[k], speed_[k]}; }
  TyreForces measured(std::size_t k) const { return {measuredFx_[k], measuredFy_[k], measuredMz_[k]}; }
  TyreForces forces(std::size_t k) const { return {Fx_[k], Fy_[k], Mz_[k]}; }

 private:
  std::span<const double> head(const std::vector<double>& column) const { return {column.data(), size_}; }
  std::span<double> head(std::vector<double>& column) const { return {column.data(), size_}; }

  std::vector<double> slip_, alpha_, camber_, load_, speed_;
  std::vector<double> measuredFx_, measuredFy_, measuredMz_;
  std::vector<double> Fx_, Fy_, Mz_;
  std::size_t size_ = 0;
};

}  // namespace grip
