#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace grip {

/// Longest text of one number written as "%+12.6e": sign, one digit, point,
/// six digits, "e", exponent sign and at most three exponent digits
/// ("-1.797693e+308"). Shorter texts ("+inf") are padded to 12 characters.
inline constexpr std::size_t kScientificMaxLength = 14;

/// Writes value as printf's "%+12.6e" writes it in the C locale: the sign
/// always, six digits after the point rounded to nearest, an exponent of at
/// least two digits, and "inf" or "nan" with the sign of the value, padded
/// with blanks on the left to 12 characters. out must hold
/// kScientificMaxLength characters; returns the end of the text (no NUL).
char* writeScientific(char* out, double value);

/// Appends value as "%+12.6e" to text.
void appendScientific(std::string& text, double value);

/// The layout of a line of numbers, given as a printf format whose only
/// conversions are "%+12.6e"; read once, used for many lines.
class NumberLine {
 public:
  /// An invalid layout (another conversion than "%+12.6e") appends nothing.
  explicit NumberLine(std::string_view layout);

  bool valid() const { return valid_; }
  /// Numbers of one line.
  std::size_t count() const { return valid_ ? texts_.size() - 1 : 0; }

  /// Appends one line: the text between the conversions is copied and each
  /// conversion takes the next of values. False (nothing appended) when the
  /// layout is invalid or values holds fewer numbers than the line.
  bool append(std::string& text, std::span<const double> values) const;

  /// Writes one line to file in the same way, allocating nothing (a trace
  /// line per grid point); false when nothing is written or the stream
  /// takes less than all of it.
  bool write(std::FILE* file, std::span<const double> values) const;

 private:
  std::vector<std::string> texts_;  ///< text before each number, and after the last
  bool valid_ = true;
};

/// Reads a real number at text, up to end, as strtod does in the C locale:
/// leading white space, an optional sign, a decimal or "0x" hexadecimal
/// number, "inf", "infinity" or "nan" in any case; a value beyond the range
/// reads as infinity, one below it as zero or the nearest denormal. On
/// success advances text past the number; false when no number starts there.
bool parseReal(const char*& text, const char* end, double& value);

/// True when a comma and a digit stand at text: after a number just read,
/// a decimal comma ("6,0" as a spreadsheet in a German locale writes it),
/// which every reader of our files refuses rather than take the digits
/// before the comma for the number.
inline bool atDecimalComma(const char* text, const char* end) {
  return end - text >= 2 && text[0] == ',' && text[1] >= '0' && text[1] <= '9';
}

/// Outcome of reading one number of a text file.
enum class NumberRead { ok, noNumber, decimalComma };

/// parseReal, refusing a number followed by a decimal comma (text then
/// stays where it was).
NumberRead readNumber(const char*& text, const char* end, double& value);

/// A whole number as written: an optional sign and decimal digits, nothing
/// else ("4x1", "1.9", "1e3" and "" are none). False also beyond the range
/// of long long.
bool parseWholeNumber(std::string_view word, long long& value);

}  // namespace grip
