#include "Console.h"

#include <cstdarg>
#include <cstdio>

namespace grip {

void say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stdout, format, arguments);
  va_end(arguments);
  std::fflush(stdout);
}

}  // namespace grip
