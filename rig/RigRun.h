#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rig/Quantity.h"
#include "rig/SignConvention.h"

namespace grip {

/// One channel of a rig run: a time series of one quantity.
struct Channel {
  std::string name;                     ///< as the file names it
  Quantity quantity = Quantity::Other;  ///< from the channel map
  std::string fileUnit;                 ///< the unit the file declares ("" when none)
  std::string unit;                     ///< the unit the values were converted from (the file's or the caller's)
  std::vector<double> values;           ///< in our unit and convention; Other: as read
};

/// A test-rig run as the readers give it: every channel of one length, in
/// our units and sign convention, with what is needed to trace it back.
struct RigRun {
  std::string fileName;
  SignConvention sourceConvention = SignConvention::Ours;  ///< the convention the file was written in
  SignConvention convention = SignConvention::Ours;        ///< the one the values are in now
  std::vector<Channel> channels;
  /// Header lines and constants of the file: keyword, rest of the line.
  std::vector<std::pair<std::string, std::string>> metadata;

  std::size_t samples() const { return channels.empty() ? 0 : channels.front().values.size(); }
  /// The first channel of quantity (nullptr when none).
  const Channel* find(Quantity quantity) const;
  Channel* find(Quantity quantity);
  /// The channel of that name (nullptr when none).
  const Channel* find(std::string_view name) const;
};

}  // namespace grip
