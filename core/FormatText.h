#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace grip {

// printf-style text whose numbers never follow the process's locale. A host
// (Octave, a notebook, a GUI) may have set LC_NUMERIC to a decimal comma;
// stored files and the messages scripts match are written with a point
// whatever it is. The real conversions (%e %f %g %a and their capitals,
// with every flag, width and precision) are written by std::to_chars, which
// gives printf's digits in the C locale; the others (%d %u %x %o %c %s %p
// %%) are written as printf writes them, which no locale changes but for the
// grouping flag "'", passed over here.

/// Appends the text of format and its arguments to text.
void appendFormattedV(std::string& text, const char* format, va_list arguments);
void appendFormatted(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// The text of format and its arguments.
std::string formattedV(const char* format, va_list arguments);
std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Writes the text of format and its arguments to file; false when the
/// stream took less than all of it.
bool printFormatted(std::FILE* file, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace grip
