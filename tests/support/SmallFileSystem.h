#pragma once

#include <sys/mount.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"

namespace grip::test {

/// A temporary folder with a small file system of its own (tmpfs), so that a
/// test can fill it or make it read-only. Mounting needs root; without it
/// mounted() is false and the test skips.
class SmallFileSystem : public TempDir {
 public:
  SmallFileSystem() {
    mounted_ = ::mount("tmpfs", path().c_str(), "tmpfs", 0, "size=4m") == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(path().c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

  /// Takes every free block with a filler file: the next write fails with ENOSPC.
  void fill() const {
    std::FILE* filler = std::fopen(file(".filler").c_str(), "w");
    if (filler == nullptr) return;
    const std::vector<char> block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    std::fclose(filler);
  }

  /// Makes the file system read-only.
  bool makeReadOnly() const {
    return ::mount("tmpfs", path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=4m") == 0;
  }

 private:
  bool mounted_ = false;
};

/// Every file of a folder by name, with its content (a folder as "<folder>").
inline std::map<std::string, std::string> folderFiles(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files[entry.path().filename().string()] = entry.is_directory() ? "<folder>" : readFile(entry.path());
  return files;
}

}  // namespace grip::test
