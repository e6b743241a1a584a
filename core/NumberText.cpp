#include "NumberText.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <stdlib.h>

namespace grip {

namespace {

/// The one conversion a number line may hold.
constexpr std::string_view kConversion = "%+12.6e";
constexpr std::size_t kFieldWidth = 12;

bool isCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

__extension__ typedef unsigned __int128 Wide;  // GCC and Clang on 64-bit targets

/// 5^0 to 5^27, the powers that fit 63 bits.
constexpr auto kPowersOfFive = [] {
  std::array<std::uint64_t, 28> powers{};
  powers[0] = 1;
  for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = powers[k - 1] * 5;
  return powers;
}();
constexpr int kMaxPowerOfFive = 27;
constexpr std::uint32_t kLowestSevenDigits = 1'000'000;
constexpr std::uint32_t kAboveSevenDigits = 10'000'000;

/// floor(quotient + 1/2) of numerator / denominator, a tie to the even
/// neighbour: how printf rounds the exact binary value to its digits.
std::uint64_t roundedQuotient(Wide numerator, Wide denominator, std::uint64_t& floor) {
  const Wide quotient = numerator / denominator;
  const Wide twiceRest = (numerator - quotient * denominator) * 2;
  floor = static_cast<std::uint64_t>(quotient);
  const bool up = twiceRest > denominator || (twiceRest == denominator && (floor & 1) != 0);
  return floor + (up ? 1 : 0);
}

/// The magnitude m * 2^e scaled by 10^(6 - exponent) and rounded to a whole
/// number, exactly, in 128-bit integers; false where the powers of ten or the
/// shifts would not fit, which the caller leaves to to_chars.
bool scaledDigits(std::uint64_t m, int e, int exponent, std::uint64_t& rounded, std::uint64_t& floor) {
  const int k = 6 - exponent;
  if (k >= 0) {
    // m * 5^k * 2^(e + k): m < 2^53 and 5^k < 2^63, so the product fits.
    if (k > kMaxPowerOfFive) return false;
    const Wide product = static_cast<Wide>(m) * kPowersOfFive[static_cast<std::size_t>(k)];
    const int shift = e + k;
    if (shift >= 0) {
      if (shift > 10) return false;  // no value of seven digits is shifted further
      rounded = floor = static_cast<std::uint64_t>(product << shift);
      return true;
    }
    if (shift <= -120) return false;
    rounded = roundedQuotient(product, static_cast<Wide>(1) << -shift, floor);
    return true;
  }
  // m * 2^(e - j) / 5^j with j = -k: both sides stay below 2^120.
  const int j = -k;
  if (j > kMaxPowerOfFive) return false;
  const int shift = e - j;
  const Wide five = kPowersOfFive[static_cast<std::size_t>(j)];
  if (shift >= 0) {
    if (shift > 60) return false;
    rounded = roundedQuotient(static_cast<Wide>(m) << shift, five, floor);
  } else {
    if (shift < -56) return false;
    rounded = roundedQuotient(m, five << -shift, floor);
  }
  return true;
}

/// Seven significant digits and the decimal exponent of a positive finite
/// magnitude, exactly as printf rounds them; false (left to to_chars) for
/// magnitudes below about 1e-21 or above about 1e33.
bool sevenDigits(double magnitude, std::uint32_t& digits, int& exponent) {
  int binaryExponent = 0;
  const double fraction = std::frexp(magnitude, &binaryExponent);  // magnitude = fraction * 2^binaryExponent
  const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  const int e = binaryExponent - 53;
  // floor(log10(magnitude)) is this or one more; 78913 / 2^18 is log10(2) to 7 digits.
  exponent = ((binaryExponent - 1) * 78913) >> 18;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::uint64_t rounded = 0, floor = 0;
    if (!scaledDigits(m, e, exponent, rounded, floor)) return false;
    if (floor >= kAboveSevenDigits) {
      ++exponent;
    } else if (floor < kLowestSevenDigits) {
      --exponent;
    } else {
      // 9999999.5 and above rounds to the next power of ten.
      if (rounded == kAboveSevenDigits) {
        rounded = kLowestSevenDigits;
        ++exponent;
      }
      digits = static_cast<std::uint32_t>(rounded);
      return true;
    }
  }
  return false;
}

/// Writes "d.dddddde+XX" for seven digits and an exponent of at most three digits.
char* writeDigits(char* out, std::uint32_t digits, int exponent) {
  char text[7];
  for (int k = 6; k >= 0; --k) {
    text[k] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  *out++ = text[0];
  *out++ = '.';
  std::memcpy(out, text + 1, 6);
  out += 6;
  *out++ = 'e';
  *out++ = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude >= 100) *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

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
  const double magnitude = std::fabs(value);
  // Zero and the magnitudes of measured and computed tyre data take the
  // integer path, several times faster than to_chars with a precision.
  std::uint32_t digits = 0;
  int exponent = 0;
  if (magnitude == 0.0 || sevenDigits(magnitude, digits, exponent)) return writeDigits(out, digits, exponent);
  // A finite number takes at least 12 characters ("1.000000e+00" and its
  // sign), so the width never pads it. The bound holds the longest text of the
  // magnitude, "1.797693e+308"; to_chars cannot fail within it.
  const std::to_chars_result written =
      std::to_chars(out, out + (kScientificMaxLength - 1), magnitude, std::chars_format::scientific, 6);
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

bool NumberLine::write(std::FILE* file, std::span<const double> values) const {
  if (!valid_ || values.size() < count()) return false;
  bool written = true;
  char field[kScientificMaxLength];
  for (std::size_t k = 0; k < count(); ++k) {
    written = std::fwrite(texts_[k].data(), 1, texts_[k].size(), file) == texts_[k].size() && written;
    const auto length = static_cast<std::size_t>(writeScientific(field, values[k]) - field);
    written = std::fwrite(field, 1, length, file) == length && written;
  }
  return std::fwrite(texts_.back().data(), 1, texts_.back().size(), file) == texts_.back().size() && written;
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
  // read by strtod itself in the C locale (whatever the process's locale)
  // from a copy that ends where the text ends. Both are rare in measurement
  // files.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string copy(start, end);
  char* stop = nullptr;
  read = strtod_l(copy.c_str(), &stop, cLocale);
  if (stop == copy.c_str()) return false;
  value = read;
  text = start + (stop - copy.c_str());
  return true;
}

NumberRead readNumber(const char*& text, const char* end, double& value) {
  const char* at = text;
  double read = 0.0;
  if (!parseReal(at, end, read)) return NumberRead::noNumber;
  if (atDecimalComma(at, end)) return NumberRead::decimalComma;
  value = read;
  text = at;
  return NumberRead::ok;
}

bool parseWholeNumber(std::string_view word, long long& value) {
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (first < last && *first == '+') ++first;  // from_chars takes only "-"
  if (first < last && *first == '-' && word.front() == '+') return false;
  long long read = 0;
  const std::from_chars_result parsed = std::from_chars(first, last, read, 10);
  if (parsed.ec != std::errc() || parsed.ptr != last) return false;
  value = read;
  return true;
}

}  // namespace grip
