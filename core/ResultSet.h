#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/TextFile.h"

namespace grip {

/// Checks the writes of a stream, flushes it (with toDisk, to the disk as
/// well) and closes it: 0 when all went through, else the errno value of the
/// first failure (errorOfWrites, the errno kept at the failed write, when
/// the flush finds nothing left to fail; EIO when none was kept).
int closeChecked(TextFile& file, int errorOfWrites, bool toDisk);

/// Result files that stand or fall together. Each file is written under a
/// temporary name in its folder (".NAME.PID.N"), every write, the flush to
/// the disk and the close checked; commit() renames them into place, in the
/// order they were added, only when every one was written. A set that fails
/// (or is never committed) removes its temporary files and leaves the files
/// that were there before untouched.
///
/// A rename replaces one file at a time: a process that dies between two
/// renames leaves the files renamed before it new, those after it as they
/// were, and the temporary files of those after it behind.
class ResultSet {
 public:
  /// How the writing of one file went.
  enum class Stage {
    written,     ///< written whole under its temporary name
    notOpened,   ///< no temporary file, or the result's name is blocked (a folder, a file we may not write)
    notWritten,  ///< a write, the flush or the close failed
  };
  struct Outcome {
    Stage stage = Stage::written;
    int error = 0;  ///< errno value of the failure; 0 when written
    explicit operator bool() const { return stage == Stage::written; }
  };

  /// A set of files in folder (the working folder when empty).
  explicit ResultSet(std::filesystem::path folder = {});
  ~ResultSet();
  ResultSet(const ResultSet&) = delete;
  ResultSet& operator=(const ResultSet&) = delete;

  /// Writes result `name` (a name in the folder) through write, which gets
  /// the open temporary file.
  Outcome add(const std::string& name, const std::function<void(std::FILE*)>& write);
  /// Writes result `name` with the text, byte for byte.
  Outcome add(const std::string& name, std::string_view text);

  /// True while every file added so far was written.
  bool complete() const { return complete_; }

  /// Renames every file into place when all were written; else removes them.
  /// False when the set was not complete or a rename failed; for a failed
  /// rename renameFault() names the file and the reason.
  bool commit();

  struct RenameFault {
    std::string name;  ///< the result's name as added
    int error = 0;     ///< errno value of the rename
  };
  const RenameFault& renameFault() const { return renameFault_; }

 private:
  struct Pending {
    std::string name;                ///< as added
    std::filesystem::path temporary;  ///< written, not yet renamed
    std::filesystem::path target;     ///< where it goes
  };
  void discard() noexcept;

  std::filesystem::path folder_;
  std::vector<Pending> pending_;
  bool complete_ = true;
  RenameFault renameFault_;
};

}  // namespace grip
