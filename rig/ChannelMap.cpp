#include "rig/ChannelMap.h"

#include <algorithm>
#include <array>
#include <utility>

#include "rig/RigMessages.h"

namespace grip {
namespace {

struct DefaultName {
  std::string_view name;
  Quantity quantity;
};

// Consortium rig data, then TYDEX. SL and SR are both slip ratios (on the
// effective and on the loaded radius): the first one in the file is the one
// found by quantity.
constexpr std::array kDefaultNames{
    DefaultName{"ET", Quantity::Time},
    DefaultName{"V", Quantity::Speed},
    DefaultName{"N", Quantity::WheelSpeed},
    DefaultName{"SA", Quantity::SlipAngle},
    DefaultName{"IA", Quantity::Camber},
    DefaultName{"SL", Quantity::SlipRatio},
    DefaultName{"SR", Quantity::SlipRatio},
    DefaultName{"P", Quantity::Pressure},
    DefaultName{"FX", Quantity::Fx},
    DefaultName{"FY", Quantity::Fy},
    DefaultName{"FZ", Quantity::Fz},
    DefaultName{"MX", Quantity::Mx},
    DefaultName{"MZ", Quantity::Mz},
    DefaultName{"RL", Quantity::LoadedRadius},
    DefaultName{"RE", Quantity::EffectiveRadius},
    DefaultName{"TSTC", Quantity::Temperature},
    DefaultName{"TSTI", Quantity::Temperature},
    DefaultName{"TSTO", Quantity::Temperature},
    DefaultName{"RUNTIME", Quantity::Time},
    DefaultName{"SLIPANGL", Quantity::SlipAngle},
    DefaultName{"INCLANGL", Quantity::Camber},
    DefaultName{"LONGSLIP", Quantity::SlipRatio},
    DefaultName{"LONGVEL", Quantity::Speed},
    DefaultName{"FXW", Quantity::Fx},
    DefaultName{"FYW", Quantity::Fy},
    DefaultName{"FZW", Quantity::Fz},
    DefaultName{"MXW", Quantity::Mx},
    DefaultName{"MZW", Quantity::Mz},
};

bool isSeparator(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

Quantity defaultQuantity(std::string_view name) {
  for (const DefaultName& entry : kDefaultNames) {
    if (entry.name == name) return entry.quantity;
  }
  return Quantity::Other;
}

void ChannelMap::map(std::string name, Quantity quantity) {
  mapped_[std::move(name)] = quantity;
  if (quantity != Quantity::Other && std::find(claimed_.begin(), claimed_.end(), quantity) == claimed_.end()) {
    claimed_.push_back(quantity);
  }
}

bool ChannelMap::parse(std::string_view text, std::string& message) {
  std::vector<std::pair<std::string, Quantity>> pairs;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && isSeparator(text[at])) ++at;
    std::size_t end = at;
    while (end < text.size() && !isSeparator(text[end])) ++end;
    if (end == at) break;
    const std::string_view pair = text.substr(at, end - at);
    at = end;
    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos || equals == 0 || equals + 1 == pair.size()) {
      message = rigmsg::fillMessage(rigmsg::kMapPair, {pair});
      return false;
    }
    const std::optional<Quantity> quantity = quantityFromName(pair.substr(0, equals));
    if (!quantity) {
      message = rigmsg::fillMessage(rigmsg::kMapQuantity, {pair.substr(0, equals), pair});
      return false;
    }
    pairs.emplace_back(std::string(pair.substr(equals + 1)), *quantity);
  }
  for (auto& [name, quantity] : pairs) map(std::move(name), quantity);
  return true;
}

Quantity ChannelMap::quantityOf(std::string_view name) const {
  if (const auto found = mapped_.find(name); found != mapped_.end()) return found->second;
  const Quantity quantity = defaultQuantity(name);
  // A quantity the caller gave a channel of its own is no longer taken by default.
  if (std::find(claimed_.begin(), claimed_.end(), quantity) != claimed_.end()) return Quantity::Other;
  return quantity;
}

}  // namespace grip
