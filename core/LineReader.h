#pragma once

#include <cstdio>
#include <string>

namespace grip {

/// Reads a text file line by line. A line holds at most 255 characters with
/// its line end; a longer line is split and its rest is the next line. A
/// Windows line end "\r\n" reads as "\n".
class LineReader {
 public:
  static constexpr std::size_t kMaxLineLength = 255;

  LineReader(std::FILE* file, std::string fileName) : file_(file), fileName_(std::move(fileName)) {}

  /// Reads the next line. At the end of the file it returns false and the
  /// line read before stays the current one.
  bool next();

  const std::string& line() const { return line_; }
  /// Number of the current line, from 1; 0 before the first.
  int lineNumber() const { return lineNumber_; }
  const std::string& fileName() const { return fileName_; }
  bool atEnd() const { return atEnd_; }

 private:
  std::FILE* file_;
  std::string fileName_;
  std::string line_;
  std::string next_;
  int lineNumber_ = 0;
  bool atEnd_ = false;
};

}  // namespace grip
