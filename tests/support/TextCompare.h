#pragma once

#include <string>

namespace grip::test {

/// Compares two texts whose numbers may differ in the last bit of a
/// computation: every number must agree to a relative 1e-9 or to one unit in
/// its last printed digit, and all other text must agree exactly. Returns ""
/// when they agree, else a description of the first difference.
std::string compareNumericText(const std::string& expected, const std::string& actual);

}  // namespace grip::test
