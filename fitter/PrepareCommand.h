#pragma once

#include <cstdio>
#include <span>

namespace grip {

/// gripfit prepare [--convention iso|sae|ours] [--model 1|2] [--tyre SIZE]
/// [--out DIR] [--force] [--channel quantity=NAME]... FILE...: the
/// arguments after "prepare". Prints to out (the summary) and err (the
/// faults); returns 0 prepared, 1 options, 2 files refused or a check failed.
int prepareCommandMain(std::span<const char* const> arguments, std::FILE* out, std::FILE* err);

}  // namespace grip
