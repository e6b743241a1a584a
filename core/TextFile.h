#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace grip {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

/// An open C stream that closes itself.
using TextFile = std::unique_ptr<std::FILE, FileCloser>;

/// Opens a file that is only read.
inline TextFile openForReading(const std::string& name) { return TextFile(std::fopen(name.c_str(), "r")); }

/// Opens a result file for writing from empty (an existing file is emptied).
inline TextFile openForWriting(const std::string& name) { return TextFile(std::fopen(name.c_str(), "w+")); }

}  // namespace grip
