#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/Console.h"
#include "core/TextFile.h"

namespace grip {

/// Collects the library's messages of the calling thread while it lives, so
/// that a call from Python prints nothing and can hand the messages on: in
/// the text of an exception, or to the caller who asked to see them.
class MessageCollector {
 public:
  MessageCollector() : sink_([this](std::string_view text) { text_.append(text); }) {}
  MessageCollector(const MessageCollector&) = delete;
  MessageCollector& operator=(const MessageCollector&) = delete;

  const std::string& text() const { return text_; }

 private:
  std::string text_;        // declared before the sink, which ends first
  ScopedMessageSink sink_;
};

/// printf-style formatting into a string of any length, numbers in the C
/// locale (the core's formattedV).
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// A fault text followed by the library's messages behind it, each on a
/// line of its own and without their leading blank.
std::string withMessages(const std::string& fault, const std::string& messages);

/// The whole text a function wrote to a stream: the stream is a temporary
/// file, read back once write returns. Empty when no temporary file can be
/// opened (opened is then false).
template <typename Write>
std::string writtenText(Write&& write, bool& opened) {
  TextFile file(std::tmpfile());
  opened = static_cast<bool>(file);
  if (!file) return {};
  write(file.get());
  std::fflush(file.get());
  const long size = std::ftell(file.get());
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 0u, '\0');
  std::rewind(file.get());
  const std::size_t read = text.empty() ? 0 : std::fread(text.data(), 1, text.size(), file.get());
  text.resize(read);
  return text;
}

}  // namespace grip
