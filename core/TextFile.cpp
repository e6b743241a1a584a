// Whole files read as bytes.

#include "core/TextFile.h"

#include <cerrno>
#include <filesystem>
#include <vector>

namespace grip {

bool readFileBytes(const std::string& name, std::string& text) {
  errno = 0;
  const TextFile file(std::fopen(name.c_str(), "rb"));
  if (!file) return false;
  // One read of the whole file where its size is known (a regular file),
  // then whatever more there is a block at a time.
  text.clear();
  std::error_code error;
  const auto size = std::filesystem::file_size(name, error);
  std::size_t filled = 0;
  if (!error) {
    text.resize(static_cast<std::size_t>(size));
    filled = std::fread(text.data(), 1, text.size(), file.get());
  }
  text.resize(filled);
  std::vector<char> block(1 << 16);
  std::size_t read = 0;
  while ((read = std::fread(block.data(), 1, block.size(), file.get())) > 0) text.append(block.data(), read);
  if (std::ferror(file.get()) != 0) {
    if (errno == 0) errno = EIO;
    return false;
  }
  return true;
}

}  // namespace grip
