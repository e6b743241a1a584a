#include "TextCompare.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace grip::test {

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool startsNumber(const std::string& text, std::size_t at) {
  if (isDigit(text[at])) return true;
  if ((text[at] == '+' || text[at] == '-' || text[at] == '.') && at + 1 < text.size())
    return isDigit(text[at + 1]) || (text[at + 1] == '.' && at + 2 < text.size() && isDigit(text[at + 2]));
  return false;
}

/// One unit in the last printed digit of a number written as text.
double lastDigitUnit(const std::string& number) {
  std::size_t point = number.find('.');
  std::size_t exponentAt = number.find_first_of("eE");
  int decimals = 0;
  if (point != std::string::npos)
    decimals = static_cast<int>((exponentAt == std::string::npos ? number.size() : exponentAt) - point - 1);
  int exponent = exponentAt == std::string::npos ? 0 : std::atoi(number.c_str() + exponentAt + 1);
  return std::pow(10.0, exponent - decimals);
}

std::string lineAt(const std::string& text, std::size_t at) {
  std::size_t begin = text.rfind('\n', at == 0 ? 0 : at - 1);
  begin = begin == std::string::npos ? 0 : begin + 1;
  std::size_t end = text.find('\n', at);
  return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace

std::string compareNumericText(const std::string& expected, const std::string& actual) {
  std::size_t i = 0, j = 0;
  while (i < expected.size() && j < actual.size()) {
    if (startsNumber(expected, i) && startsNumber(actual, j)) {
      char* endE = nullptr;
      char* endA = nullptr;
      double e = std::strtod(expected.c_str() + i, &endE);
      double a = std::strtod(actual.c_str() + j, &endA);
      std::string tokenE(expected.c_str() + i, static_cast<const char*>(endE));
      bool same = e == a || (std::isnan(e) && std::isnan(a)) ||
                  std::fabs(e - a) <= std::max(1e-9 * std::max(std::fabs(e), std::fabs(a)),
                                               1.01 * lastDigitUnit(tokenE));
      if (!same)
        return "number " + tokenE + " differs from " + std::string(actual.c_str() + j, static_cast<const char*>(endA)) + " in line\n  " +
               lineAt(expected, i) + "\n  " + lineAt(actual, j);
      i = static_cast<std::size_t>(endE - expected.c_str());
      j = static_cast<std::size_t>(endA - actual.c_str());
      continue;
    }
    if (expected[i] != actual[j])
      return "text differs in line\n  " + lineAt(expected, i) + "\n  " + lineAt(actual, j);
    ++i;
    ++j;
  }
  if (i != expected.size() || j != actual.size())
    return "lengths differ: " + std::to_string(expected.size() - i) + " characters left of the expected text, " +
           std::to_string(actual.size() - j) + " of the actual";
  return "";
}

}  // namespace grip::test
