#pragma once

#include <filesystem>
#include <string>

#include "TempDir.h"

namespace grip::test {

/// A temporary folder that is the working folder while the object lives.
struct FitFolder : TempDir {
  std::filesystem::path previous = std::filesystem::current_path();
  FitFolder() { std::filesystem::current_path(path()); }
  ~FitFolder() { std::filesystem::current_path(previous); }
};

/// Copies the files (not the folders) of an example or reference case.
inline void copyFiles(const std::filesystem::path& from, const TempDir& to) {
  for (const auto& entry : std::filesystem::directory_iterator(from))
    if (entry.is_regular_file()) std::filesystem::copy_file(entry.path(), to.path() / entry.path().filename());
}

/// text with the value of parameter `name` (the number after its "= ") replaced.
inline std::string withValue(std::string text, const std::string& name, const std::string& value) {
  const std::size_t line = text.find(" " + name + " ");
  const std::size_t at = text.find("= ", line) + 2;
  return text.replace(at, text.find(' ', at) - at, value);
}

}  // namespace grip::test
