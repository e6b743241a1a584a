#include "Console.h"

#include "FormatText.h"

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
  va_list arguments;
  va_start(arguments, format);
  const std::string text = formattedV(format, arguments);
  va_end(arguments);
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
