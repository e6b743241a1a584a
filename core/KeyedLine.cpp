#include "KeyedLine.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "Console.h"
#include "Messages.h"
#include "NumberText.h"

namespace grip {

bool readReal(const char*& text, double& value) {
  // An out-of-range value reads as infinity or zero, as "%lf" gives it.
  return readNumber(text, text + std::strlen(text), value) == NumberRead::ok;
}

KeyedValue readRealAfterEquals(const std::string& line, double& value) {
  std::size_t equals = line.find('=');
  if (equals == std::string::npos) return KeyedValue::noEqualsSign;
  const char* text = line.c_str() + equals + 1;
  switch (readNumber(text, line.c_str() + line.size(), value)) {
    case NumberRead::ok:
      return KeyedValue::ok;
    case NumberRead::decimalComma:
      return KeyedValue::decimalComma;
    case NumberRead::noNumber:
      break;
  }
  return KeyedValue::noNumber;
}

KeyedValue readIntAfterEquals(const std::string& line, int& value) {
  std::size_t equals = line.find('=');
  if (equals == std::string::npos) return KeyedValue::noEqualsSign;
  const char* text = line.c_str() + equals + 1;
  char* end = nullptr;
  errno = 0;
  long read = std::strtol(text, &end, 10);
  if (end == text) return KeyedValue::noNumber;
  if (atDecimalComma(end, line.c_str() + line.size())) return KeyedValue::decimalComma;
  if (read > INT_MAX) read = INT_MAX;
  if (read < INT_MIN) read = INT_MIN;
  value = static_cast<int>(read);
  return KeyedValue::ok;
}

std::string firstWordAfterEquals(const std::string& line) {
  std::size_t equals = line.find('=');
  if (equals == std::string::npos) return {};
  std::size_t begin = equals + 1;
  auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (begin < line.size() && isSpace(line[begin])) ++begin;
  std::size_t end = begin;
  while (end < line.size() && !isSpace(line[end]) && line[end] != '\0') ++end;
  return line.substr(begin, end - begin);
}

std::string_view withoutLineEnd(const std::string& line) {
  std::string_view text(line);
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  return text;
}

void reportKeyedLine(KeyedValue fault, const std::string& fileName, int lineNumber, const std::string& line) {
  std::string text(withoutLineEnd(line));
  const char* message = fault == KeyedValue::noEqualsSign   ? msg::kNoEqualsSign
                        : fault == KeyedValue::decimalComma ? msg::kDecimalComma
                                                            : msg::kNoNumber;
  say(message, lineNumber, fileName.c_str(), text.c_str());
}

}  // namespace grip
