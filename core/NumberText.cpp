#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace grip {

namespace {

/// The one conversion a number line may hold.
constexpr std::string_view kConversion = "%+12.6e";
constexpr std::size_t kFieldWidth = 12;

bool isCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

char* writeScientific(char* out, double value) {
  const bool negative = std::signbit(value);
  if (!std::isfinite(value)) {
    // glibc writes the sign of a NaN too: "-nan" for one with the sign bit set.
    const char* word = std::isnan(value) ? "nan" : "inf";
    constexpr std::size_t kWordLength = 4;  // sign and three letters
    std::memset(out, ' ', kFieldWidth - kWordLength);
    out += kFieldWidth - kWordLength;
    *out++ = negative ? '-' : '+';
    std::memcpy(out, word, 3);
    return out + 3;
  }
  *out++ = negative ? '-' : '+';
  // A finite number takes at least 12 characters ("1.000000e+00" and its
  // sign), so the width never pads it. The bound holds the longest text of the
  // magnitude, "1.797693e+308"; to_chars cannot fail within it.
  const std::to_chars_result written =
      std::to_chars(out, out + (kScientificMaxLength - 1), std::fabs(value), std::chars_format::scientific, 6);
  return written.ptr;
}

void appendScientific(std::string& text, double value) {
  char field[kScientificMaxLength];
  text.append(field, writeScientific(field, value));
}

NumberLine::NumberLine(std::string_view layout) {
  std::size_t begin = 0;
  for (std::size_t percent = layout.find('%'); percent != std::string_view::npos;
       percent = layout.find('%', begin)) {
    if (layout.substr(percent, kConversion.size()) != kConversion) {
      valid_ = false;
      texts_.clear();
      return;
    }
    texts_.emplace_back(layout.substr(begin, percent - begin));
    begin = percent + kConversion.size();
  }
  texts_.emplace_back(layout.substr(begin));
}

bool NumberLine::append(std::string& text, std::span<const double> values) const {
  if (!valid_ || values.size() < count()) return false;
  for (std::size_t k = 0; k < count(); ++k) {
    text += texts_[k];
    appendScientific(text, values[k]);
  }
  text += texts_.back();
  return true;
}

bool parseReal(const char*& text, const char* end, double& value) {
  const char* start = text;
  while (start < end && isCSpace(*start)) ++start;
  const char* digits = start;
  // from_chars takes no "+" sign: the sign is passed over here, and a second
  // sign after it is no number, as for strtod.
  if (digits < end && *digits == '+') {
    ++digits;
    if (digits < end && (*digits == '+' || *digits == '-')) return false;
  }
  const char* afterMinus = digits < end && *digits == '-' ? digits + 1 : digits;
  const bool hexadecimal =
      end - afterMinus >= 2 && afterMinus[0] == '0' && (afterMinus[1] == 'x' || afterMinus[1] == 'X');

  double read = 0.0;
  if (!hexadecimal) {
    const std::from_chars_result parsed = std::from_chars(digits, end, read, std::chars_format::general);
    if (parsed.ec == std::errc()) {
      value = read;
      text = parsed.ptr;
      return true;
    }
    if (parsed.ec == std::errc::invalid_argument) return false;
  }
  // A hexadecimal number, or one beyond the range of double (which strtod
  // reads as infinity, zero or a denormal where from_chars reports it), is
  // read by strtod itself from a copy that ends where the text ends. Both are
  // rare in measurement files.
  const std::string copy(start, end);
  char* stop = nullptr;
  read = std::strtod(copy.c_str(), &stop);
  if (stop == copy.c_str()) return false;
  value = read;
  text = start + (stop - copy.c_str());
  return true;
}

}  // namespace grip
