#include "FormatText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace grip {

namespace {

/// One conversion of a format, its "*" width and precision already taken.
struct Conversion {
  bool left = false, plus = false, space = false, alternate = false, zero = false;
  int width = 0;
  int precision = -1;  ///< -1: none given
  char length[3] = {};
  char type = 0;
};

/// Appends body padded to the conversion's width; zeros go after the first
/// `prefix` characters (the sign and "0x") when the zero flag pads.
void appendPadded(std::string& text, const Conversion& c, std::string_view body, std::size_t prefix, bool zeros) {
  const std::size_t width = c.width > 0 ? static_cast<std::size_t>(c.width) : 0;
  const std::size_t pad = width > body.size() ? width - body.size() : 0;
  if (c.left) {
    text += body;
    text.append(pad, ' ');
  } else if (zeros) {
    text += body.substr(0, prefix);
    text.append(pad, '0');
    text += body.substr(prefix);
  } else {
    text.append(pad, ' ');
    text += body;
  }
}

/// The digits of a magnitude (finite, not negative) in the form of the
/// conversion, as printf writes them in the C locale, between first and
/// last; ec is value_too_large when they do not fit.
template <typename Real>
std::to_chars_result realDigits(char* first, char* last, Real magnitude, const Conversion& c) {
  const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(c.type)));
  const int precision = c.precision;
  if (type == 'e') return std::to_chars(first, last, magnitude, std::chars_format::scientific, precision < 0 ? 6 : precision);
  if (type == 'f') return std::to_chars(first, last, magnitude, std::chars_format::fixed, precision < 0 ? 6 : precision);
  if (type == 'a') {
    return precision < 0 ? std::to_chars(first, last, magnitude, std::chars_format::hex)
                         : std::to_chars(first, last, magnitude, std::chars_format::hex, precision);
  }
  if (!c.alternate) return std::to_chars(first, last, magnitude, std::chars_format::general, precision < 0 ? 6 : precision);
  // "%#g" keeps its trailing zeros: the style of %g with the digits of %e or %f.
  const int significant = precision < 0 ? 6 : std::max(precision, 1);
  std::to_chars_result r = std::to_chars(first, last, magnitude, std::chars_format::scientific, significant - 1);
  if (r.ec != std::errc()) return r;
  const char* e = std::find(first, r.ptr, 'e');
  int exponent = 0;
  if (e != r.ptr) std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), r.ptr, exponent);
  if (exponent >= -4 && exponent < significant)
    r = std::to_chars(first, last, magnitude, std::chars_format::fixed, significant - 1 - exponent);
  return r;
}

/// Appends the digits of realDigits to body, with the point that "#" asks
/// for where no digit follows it.
template <typename Real>
void appendDigits(std::string& body, Real magnitude, const Conversion& c) {
  // Most numbers fit the small field; to_chars never writes past its end,
  // and a longer text (a large fixed number, a long precision) takes the
  // room its longest form needs (about 4950 digits for a long double).
  char field[64];
  std::to_chars_result r = realDigits(field, field + sizeof field, magnitude, c);
  std::string digits;
  if (r.ec == std::errc()) {
    digits.assign(field, r.ptr);
  } else {
    digits.resize(static_cast<std::size_t>(std::max(c.precision, 0)) + 5000);
    r = realDigits(digits.data(), digits.data() + digits.size(), magnitude, c);
    digits.resize(r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - digits.data()) : 0);
  }
  if (c.alternate && digits.find('.') == std::string::npos)
    digits.insert(std::min(digits.find_first_of("ep"), digits.size()), 1, '.');
  if (c.type == 'a' || c.type == 'A') body += "0x";
  body += digits;
}

template <typename Real>
void appendReal(std::string& text, const Conversion& c, Real value) {
  std::string body;
  if (std::signbit(value)) body = "-";
  else if (c.plus) body = "+";
  else if (c.space) body = " ";
  const std::size_t sign = body.size();
  const bool finite = std::isfinite(value);
  if (!finite) {
    body += std::isnan(value) ? "nan" : "inf";
  } else {
    appendDigits(body, std::fabs(value), c);
  }
  if (std::isupper(static_cast<unsigned char>(c.type)))
    for (char& ch : body) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const bool hex = finite && (c.type == 'a' || c.type == 'A');
  appendPadded(text, c, body, sign + (hex ? 2 : 0), finite && c.zero && !c.left);
}

/// An integer conversion, written by snprintf: no locale changes its digits
/// without the grouping flag, which is not passed on.
template <typename Integer>
void appendInteger(std::string& text, const Conversion& c, Integer value) {
  std::string spec = "%";
  if (c.left) spec += '-';
  if (c.plus) spec += '+';
  if (c.space) spec += ' ';
  if (c.alternate) spec += '#';
  if (c.zero) spec += '0';
  if (c.width > 0) spec += std::to_string(c.width);
  if (c.precision >= 0) spec += '.' + std::to_string(c.precision);
  spec += c.length;
  spec += c.type;
  const int length = std::snprintf(nullptr, 0, spec.c_str(), value);
  if (length <= 0) return;
  const std::size_t at = text.size();
  text.resize(at + static_cast<std::size_t>(length) + 1);
  std::snprintf(text.data() + at, static_cast<std::size_t>(length) + 1, spec.c_str(), value);
  text.resize(at + static_cast<std::size_t>(length));
}

void appendString(std::string& text, const Conversion& c, const char* value) {
  std::string_view body = value != nullptr ? std::string_view(value) : std::string_view("(null)");
  if (c.precision >= 0) body = body.substr(0, static_cast<std::size_t>(c.precision));
  appendPadded(text, c, body, 0, false);
}

/// Reads the flags, width, precision and length of a conversion at format
/// (just past its "%"), taking "*" values from the arguments.
const char* readConversion(const char* format, Conversion& c, va_list& arguments) {
  for (;; ++format) {
    if (*format == '-') c.left = true;
    else if (*format == '+') c.plus = true;
    else if (*format == ' ') c.space = true;
    else if (*format == '#') c.alternate = true;
    else if (*format == '0') c.zero = true;
    else if (*format != '\'' && *format != 'I') break;
  }
  if (*format == '*') {
    c.width = va_arg(arguments, int);
    if (c.width < 0) {
      c.left = true;
      c.width = c.width == INT_MIN ? 0 : -c.width;
    }
    ++format;
  } else {
    while (std::isdigit(static_cast<unsigned char>(*format))) c.width = std::min(c.width * 10 + (*format++ - '0'), 1 << 20);
  }
  if (*format == '.') {
    ++format;
    c.precision = 0;
    if (*format == '*') {
      c.precision = va_arg(arguments, int);
      if (c.precision < 0) c.precision = -1;
      ++format;
    } else {
      while (std::isdigit(static_cast<unsigned char>(*format)))
        c.precision = std::min(c.precision * 10 + (*format++ - '0'), 1 << 20);
    }
  }
  std::size_t n = 0;
  while (n < 2 && std::strchr("hlLjzt", *format) != nullptr && *format != '\0') {
    if (n == 1 && *format != c.length[0]) break;  // only "hh" and "ll" are doubled
    c.length[n++] = *format++;
  }
  c.type = *format;
  return format;
}

bool isLength(const Conversion& c, const char* length) { return std::strcmp(c.length, length) == 0; }

void appendSigned(std::string& text, const Conversion& c, va_list& arguments) {
  if (isLength(c, "l")) appendInteger(text, c, va_arg(arguments, long));
  else if (isLength(c, "ll")) appendInteger(text, c, va_arg(arguments, long long));
  else if (isLength(c, "j")) appendInteger(text, c, va_arg(arguments, std::intmax_t));
  else if (isLength(c, "z") || isLength(c, "t")) appendInteger(text, c, va_arg(arguments, std::ptrdiff_t));
  else appendInteger(text, c, va_arg(arguments, int));  // "h" and "hh" arrive as int
}

void appendUnsigned(std::string& text, const Conversion& c, va_list& arguments) {
  if (isLength(c, "l")) appendInteger(text, c, va_arg(arguments, unsigned long));
  else if (isLength(c, "ll")) appendInteger(text, c, va_arg(arguments, unsigned long long));
  else if (isLength(c, "j")) appendInteger(text, c, va_arg(arguments, std::uintmax_t));
  else if (isLength(c, "z") || isLength(c, "t")) appendInteger(text, c, va_arg(arguments, std::size_t));
  else appendInteger(text, c, va_arg(arguments, unsigned int));
}

}  // namespace

void appendFormattedV(std::string& text, const char* format, va_list arguments) {
  va_list own;
  va_copy(own, arguments);
  while (*format != '\0') {
    const char* percent = std::strchr(format, '%');
    if (percent == nullptr) {
      text += format;
      break;
    }
    text.append(format, percent);
    Conversion c;
    const char* type = readConversion(percent + 1, c, own);
    format = *type == '\0' ? type : type + 1;
    switch (c.type) {
      case '%':
        text += '%';
        break;
      case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
        if (isLength(c, "L")) appendReal(text, c, va_arg(own, long double));
        else appendReal(text, c, va_arg(own, double));
        break;
      case 'd': case 'i':
        appendSigned(text, c, own);
        break;
      case 'u': case 'o': case 'x': case 'X':
        appendUnsigned(text, c, own);
        break;
      case 'c':
        c.length[0] = c.length[1] = '\0';
        appendInteger(text, c, va_arg(own, int));
        break;
      case 's':
        appendString(text, c, va_arg(own, const char*));
        break;
      case 'p':
        c.length[0] = c.length[1] = '\0';
        appendInteger(text, c, va_arg(own, void*));
        break;
      case 'n':
        (void)va_arg(own, void*);  // writes nothing back
        break;
      default:
        text.append(percent, format);  // no conversion: the text as it stands
        break;
    }
  }
  va_end(own);
}

void appendFormatted(std::string& text, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  appendFormattedV(text, format, arguments);
  va_end(arguments);
}

std::string formattedV(const char* format, va_list arguments) {
  std::string text;
  appendFormattedV(text, format, arguments);
  return text;
}

std::string formatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = formattedV(format, arguments);
  va_end(arguments);
  return text;
}

bool printFormatted(std::FILE* file, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = formattedV(format, arguments);
  va_end(arguments);
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace grip
