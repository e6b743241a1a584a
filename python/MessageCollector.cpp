// Messages of the library turned into text for Python.

#include "python/MessageCollector.h"

#include "core/FormatText.h"

namespace grip {

std::string formatText(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = formattedV(format, arguments);
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
