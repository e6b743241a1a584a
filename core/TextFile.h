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

/// The whole content of a file, read as bytes; false when it cannot be
/// opened or read, errno telling why.
bool readFileBytes(const std::string& name, std::string& text);

/// Opens a result file for writing from empty (an existing file is emptied).
inline TextFile openForWriting(const std::string& name) { return TextFile(std::fopen(name.c_str(), "w+")); }

}  // namespace grip
