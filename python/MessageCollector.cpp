// Messages of the library turned into text for Python.

#include "python/MessageCollector.h"

#include <vector>

namespace grip {

std::string formatText(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    text.assign(buffer.data(), static_cast<std::size_t>(length));
  }
  va_end(arguments);
  return text;
}

std::string withMessages(const std::string& fault, const std::string& messages) {
  std::string text = fault;
  std::size_t start = 0;
  while (start < messages.size()) {
    std::size_t end = messages.find('\n', start);
    if (end == std::string::npos) end = messages.size();
    std::string_view line(messages.data() + start, end - start);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
    if (!line.empty()) {
      text += text.empty() ? "" : "\n";
      text += line;
    }
    start = end + 1;
  }
  return text;
}

}  // namespace grip
