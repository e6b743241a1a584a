// Fuzz target: the number text of every file. The first eight bytes as a
// double go through the writer and back through the reader; the whole input
// as text is read as strtod reads it in the C locale. Any difference aborts.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <stdlib.h>
#include <string>

#include "core/FormatText.h"
#include "core/NumberText.h"

namespace {

bool same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

void check(bool condition, const char* what, const std::string& text) {
  if (condition) return;
  std::fprintf(stderr, "number text fault: %s: \"%s\"\n", what, text.c_str());
  std::abort();
}

/// The formats of the stored files and the messages.
constexpr const char* kFormats[] = {"%+12.6e", "%+16.10e", "%+14.6e", "%lf", "%g", "%.9g", "%.10g", "%10.3f"};

void writeThenRead(double value) {
  for (const char* format : kFormats) {
    const std::string text = grip::formatted(format, value);
    char expected[512];
    std::snprintf(expected, sizeof expected, format, value);
    check(text == expected, format, text + "\" against \"" + expected);
  }
  // 17 significant digits read back as the same double.
  const std::string text = grip::formatted("%.17g", value);
  const char* at = text.c_str();
  double read = 0.0;
  check(grip::parseReal(at, text.c_str() + text.size(), read), "written %.17g not read", text);
  check(same(read, value) && at == text.c_str() + text.size(), "written %.17g read as another number", text);
}

void readAsStrtod(const std::string& text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const char* at = text.c_str();
  const char* end = text.c_str() + text.size();
  double value = 0.0;
  const bool read = grip::parseReal(at, end, value);
  char* stop = nullptr;
  const double expected = strtod_l(text.c_str(), &stop, cLocale);
  check(read == (stop != text.c_str()), "read where strtod reads none, or none where it reads", text);
  if (!read) return;
  check(at == stop, "read another length than strtod", text);
  check(same(value, expected), "read another value than strtod", text);
  // A decimal comma is refused, never read as the digits before it.
  const char* again = text.c_str();
  double commaValue = 0.0;
  const grip::NumberRead outcome = grip::readNumber(again, end, commaValue);
  check((outcome == grip::NumberRead::decimalComma) == grip::atDecimalComma(at, end), "decimal comma", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= sizeof(double)) {
    double value = 0.0;
    std::memcpy(&value, data, sizeof value);
    writeThenRead(value);
  }
  // The text up to its first NUL, as a C string ends there for strtod.
  const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
  readAsStrtod(text);
  return 0;
}
