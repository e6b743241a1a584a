// gripfit: fits a tyre's design variables to measurements in one command.

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <span>

#include "fitter/FitProgram.h"
#include "fitter/PrepareCommand.h"

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) { interrupted.store(true); }

}  // namespace

int main(int argc, char** argv) {
  // "gripfit prepare ..." turns rig runs into design files; every other
  // command line is the fit's, parsed as it always was.
  if (argc > 1 && std::string_view(argv[1]) == "prepare")
    return grip::prepareCommandMain(std::span<const char* const>(argv + 2, static_cast<std::size_t>(argc - 2)), stdout,
                                    stderr);
  static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler sets the flag");
  // A closed terminal (SIGHUP) and a batch system's time limit (SIGTERM) end
  // the search as Ctrl-C does: the best design found is still written. A
  // signal ignored on entry stays ignored (nohup, a background job).
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    if (std::signal(signal, onInterrupt) == SIG_IGN) std::signal(signal, SIG_IGN);
  // Output to a pipe whose reader is gone (a closed terminal ends the
  // pager or tee too) must not kill the fit before its results are written.
  std::signal(SIGPIPE, SIG_IGN);
  const std::span<const char* const> arguments(argv + 1, static_cast<std::size_t>(argc - 1));
  return grip::fitProgramMain(arguments, interrupted, isatty(STDOUT_FILENO) != 0);
}
