// gripfit: fits a tyre's design variables to measurements in one command.

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <span>

#include "fitter/FitProgram.h"

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) { interrupted.store(true); }

}  // namespace

int main(int argc, char** argv) {
  static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler sets the flag");
  std::signal(SIGINT, onInterrupt);
  const std::span<const char* const> arguments(argv + 1, static_cast<std::size_t>(argc - 1));
  return grip::fitProgramMain(arguments, interrupted, isatty(STDOUT_FILENO) != 0);
}
