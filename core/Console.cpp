#include "Console.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>

namespace grip {

namespace {

void printToStandardOutput(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

MessageSink& processSink() {
  static MessageSink sink = printToStandardOutput;
  return sink;
}

thread_local MessageSink threadSink;

}  // namespace

void say(const char* format, ...) {
  // Most messages fit the first try; a longer one is formatted again into a
  // buffer of its exact length.
  std::string text(256, '\0');
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(text.data(), text.size(), format, arguments);
  va_end(arguments);
  if (length < 0) {
    va_end(again);
    return;
  }
  if (static_cast<std::size_t>(length) >= text.size()) {
    text.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
  }
  va_end(again);
  text.resize(static_cast<std::size_t>(length));
  if (threadSink) threadSink(text);
  else processSink()(text);
}

MessageSink setMessageSink(MessageSink sink) {
  MessageSink previous = std::move(processSink());
  processSink() = sink ? std::move(sink) : MessageSink(printToStandardOutput);
  return previous;
}

ScopedMessageSink::ScopedMessageSink(MessageSink sink) : previous_(std::move(threadSink)) {
  threadSink = std::move(sink);
}

ScopedMessageSink::~ScopedMessageSink() { threadSink = std::move(previous_); }

}  // namespace grip
