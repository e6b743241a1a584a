#pragma once

namespace grip {

/// Prints one printf-style message on the standard output and flushes it, so
/// that messages keep their order with the output of a host program.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace grip
