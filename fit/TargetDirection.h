#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

namespace grip {

/// Moment errors count in the target value over this lever [mm]: an Mz error
/// of 500 N*mm weighs as much as a force error of 1 N. Stored fits were
/// made with it, so it stays.
inline constexpr double kMomentLever = 500.0;

/// The force channels of a point, in the order Fx, Fy, Mz.
enum class ForceChannel : std::size_t { Fx = 0, Fy = 1, Mz = 2 };
inline constexpr std::size_t kForceChannelCount = 3;

/// Model minus measured (or any value) per channel, indexed by ForceChannel.
using ChannelValues = std::array<double, kForceChannelCount>;

/// What the target compares for the points of one measurement file, by the
/// file's direction number: 1 Fx, 2 Fy, 3 Fy and Mz. Numbers above 3 mean
/// 3: stored target lists use them, and reading one warns that it counts
/// as 3 (fit::kTargetDirectionAbove); data handed over in a call should
/// take the same rule through of(). Numbers below 1 compare nothing and are
/// refused.
///
/// Each compared channel gives one residual, in channel order, weighted by
/// 1 / (lever * measured load): the lever is 1 for the forces and
/// kMomentLever for Mz. Light enough to make per point in the target loop.
class TargetDirection {
 public:
  /// The direction of a number of 1 or more; nullopt below 1.
  static constexpr std::optional<TargetDirection> of(int number) {
    if (number < 1) return std::nullopt;
    return TargetDirection(number);
  }

  /// True for a number that counts as another (above 3): the readers warn.
  static constexpr bool countsAsAnother(int number) { return number > 3; }

  /// The direction of a number that was checked by of(): 1 Fx, 2 Fy, any
  /// other Fy and Mz.
  constexpr explicit TargetDirection(int number)
      : first_(number == 1 ? ForceChannel::Fx : ForceChannel::Fy), count_(number == 1 || number == 2 ? 1 : 2) {}

  /// The number the direction stands for: 1, 2 or 3.
  constexpr int number() const { return first_ == ForceChannel::Fx ? 1 : count_ == 1 ? 2 : 3; }

  /// True when the channel counts in the target.
  constexpr bool compares(ForceChannel channel) const {
    const auto c = static_cast<std::size_t>(channel);
    const auto first = static_cast<std::size_t>(first_);
    return c >= first && c < first + count_;
  }

  /// Residuals of one point: 1 for directions 1 and 2, 2 for Fy and Mz.
  constexpr std::size_t residualCount() const { return count_; }

  /// The channel of residual r (below residualCount()) of a point.
  constexpr ForceChannel channel(std::size_t r) const {
    return static_cast<ForceChannel>(static_cast<std::size_t>(first_) + r);
  }

  /// Lever of a channel's error [mm for Mz, 1 for the forces].
  static constexpr double lever(ForceChannel channel) { return channel == ForceChannel::Mz ? kMomentLever : 1.0; }

  /// A point's part of the target: per compared channel |error| over lever
  /// times load, summed in channel order.
  double term(const ChannelValues& error, double load) const {
    double sum = 0.0;
    for (std::size_t r = 0; r < count_; ++r) {
      const ForceChannel c = channel(r);
      sum += std::fabs(error[static_cast<std::size_t>(c)]) / (lever(c) * load);
    }
    return sum;
  }

  /// A point's residuals: per compared channel error times perLoad over the
  /// lever, into out from position r on (as far as out reaches); returns
  /// the position after the last written.
  template <typename Out>
  std::size_t residuals(const ChannelValues& error, double perLoad, Out& out, std::size_t r) const {
    for (std::size_t k = 0; k < count_ && r < out.size(); ++k) {
      const ForceChannel c = channel(k);
      out[r++] = error[static_cast<std::size_t>(c)] * perLoad / lever(c);
    }
    return r;
  }

 private:
  ForceChannel first_;
  std::size_t count_;
};

}  // namespace grip
