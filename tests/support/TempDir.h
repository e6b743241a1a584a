#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace grip::test {

/// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

  /// Writes text to a file in the folder, byte for byte.
  void write(const std::string& name, const std::string& text) const;
  /// The whole content of a file in the folder ("" when it does not exist).
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
};

/// A temporary folder that is the working folder while the object lives:
/// the fit reads and writes its files there.
struct WorkingDir : TempDir {
  std::filesystem::path previous = std::filesystem::current_path();
  WorkingDir() { std::filesystem::current_path(path()); }
  ~WorkingDir() { std::filesystem::current_path(previous); }
};

/// Whole content of any file.
std::string readFile(const std::filesystem::path& path);

}  // namespace grip::test
