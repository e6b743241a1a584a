#pragma once

#include <functional>
#include <string_view>

namespace grip {

/// Where the messages of the library go: one call per message, with its
/// whole text (line end included).
using MessageSink = std::function<void(std::string_view text)>;

/// Prints one printf-style message through the sink in force: the calling
/// thread's own sink when one is set (ScopedMessageSink), else the process's
/// sink, by default the standard output, flushed so that messages keep
/// their order with the output of a host program.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Sets the process's sink (an empty one restores the standard output) and
/// returns the one it replaces. Not for use while other threads print.
MessageSink setMessageSink(MessageSink sink);

/// While it lives, the messages of the calling thread go to sink instead of
/// the process's sink; the sink before it is restored at its end. Threads
/// that run fits side by side each collect their own messages this way.
class ScopedMessageSink {
 public:
  explicit ScopedMessageSink(MessageSink sink);
  ~ScopedMessageSink();
  ScopedMessageSink(const ScopedMessageSink&) = delete;
  ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

 private:
  MessageSink previous_;
};

}  // namespace grip
