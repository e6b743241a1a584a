#pragma once

#include <string>
#include <string_view>

namespace grip {

/// Outcome of reading the value of a keyed line.
enum class KeyedValue { ok, noEqualsSign, noNumber, decimalComma };

/// The real number after the first "=" of the line (leading blanks skipped,
/// reading stops at the first character that cannot continue the number;
/// a decimal comma directly behind the number is a fault, never the digits
/// before it). Read in the C locale, whatever the process's locale is.
KeyedValue readRealAfterEquals(const std::string& line, double& value);

/// The whole number after the first "=" of the line, clamped to the int range.
KeyedValue readIntAfterEquals(const std::string& line, int& value);

/// Reads a real number at text, as "%lf" does in the C locale: leading white
/// space skipped. On success advances text past the number; false where no
/// number starts or the number has a decimal comma behind it.
bool readReal(const char*& text, double& value);

/// The first word (up to white space) after the first "=", empty when there is none.
std::string firstWordAfterEquals(const std::string& line);

/// The line without its line end, for messages.
std::string_view withoutLineEnd(const std::string& line);

/// Reports a keyed-line fault with the file name, the line number and the line.
void reportKeyedLine(KeyedValue fault, const std::string& fileName, int lineNumber, const std::string& line);

}  // namespace grip
