#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "LineReader.h"

namespace grip {

/// Reads a text file line by line into the same lines as LineReader (at most
/// 255 characters with the line end, a longer line split, "\r\n" read as
/// "\n"), taking the file a block at a time: for files of many lines, such
/// as measurement files, where reading character by character from the
/// stream costs more than everything done with the line.
class BlockLineReader {
 public:
  static constexpr std::size_t kMaxLineLength = LineReader::kMaxLineLength;
  static constexpr std::size_t kDefaultBlockSize = 1 << 16;

  /// blockSize (at least 1) is the number of characters read from the stream at a time.
  BlockLineReader(std::FILE* file, std::string fileName, std::size_t blockSize = kDefaultBlockSize);

  /// Reads the next line. At the end of the file it returns false and the
  /// line read before stays the current one.
  bool next();

  const std::string& line() const { return line_; }
  /// Number of the current line, from 1; 0 before the first.
  int lineNumber() const { return lineNumber_; }
  const std::string& fileName() const { return fileName_; }
  bool atEnd() const { return atEnd_; }

 private:
  /// True when a character is waiting in the block, reading the next block if need be.
  bool available();

  std::FILE* file_;
  std::string fileName_;
  std::vector<char> block_;
  std::size_t position_ = 0;  ///< next character of the block
  std::size_t filled_ = 0;    ///< characters in the block
  std::string line_;
  std::string next_;
  int lineNumber_ = 0;
  bool atEnd_ = false;
};

}  // namespace grip
