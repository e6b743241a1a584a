#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "rig/Quantity.h"

namespace grip {

/// Which quantity each channel name stands for. The usual names of
/// consortium rig data (ET V N SA IA SL SR P FX FY FZ MX MZ RL RE TSTC ...)
/// and of TYDEX (RUNTIME SLIPANGL INCLANGL LONGSLIP LONGVEL FX FYW FZW MZW
/// ...) are known; a name the caller maps takes its quantity from the
/// caller, and the channels a default would have given that quantity become
/// Other (so that one mapped channel is the one of its quantity).
class ChannelMap {
 public:
  /// Maps name to quantity.
  void map(std::string name, Quantity quantity);

  /// Reads "quantity=NAME" pairs separated by commas or blanks
  /// ("slip_angle=ALPHA_DEG, fz=LOAD"); false with a message naming the
  /// faulty pair, the map unchanged.
  bool parse(std::string_view text, std::string& message);

  Quantity quantityOf(std::string_view name) const;

 private:
  std::map<std::string, Quantity, std::less<>> mapped_;
  std::vector<Quantity> claimed_;  ///< quantities the caller gave a channel
};

/// The default quantity of a channel name (Other when it is not known).
Quantity defaultQuantity(std::string_view name);

}  // namespace grip
