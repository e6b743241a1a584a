#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace grip {

/// Reads a text file line by line. A line holds at most 255 characters with
/// its line end; a longer line is split and its rest is the next line. A
/// Windows line end "\r\n" reads as "\n", and a UTF-8 byte-order mark at
/// the start of the file (an editor's or a spreadsheet's) is passed over, so
/// that it costs neither the first line nor its first number. The file is taken a block at a
/// time (files of many lines, such as measurement files, would otherwise
/// spend more on reading characters than on everything done with the
/// lines), so nothing else may read the same stream.
class LineReader {
 public:
  static constexpr std::size_t kMaxLineLength = 255;
  static constexpr std::size_t kDefaultBlockSize = 1 << 16;

  /// blockSize (at least 1) is the number of characters read from the stream at a time.
  LineReader(std::FILE* file, std::string fileName, std::size_t blockSize = kDefaultBlockSize);

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
  /// Passes over a byte-order mark at the start of the file; the bytes of a
  /// partial one are the start of the first line.
  void skipByteOrderMark();

  std::FILE* file_;
  std::string fileName_;
  std::vector<char> block_;
  std::size_t position_ = 0;  ///< next character of the block
  std::size_t filled_ = 0;    ///< characters in the block
  std::string line_;
  std::string next_;
  int lineNumber_ = 0;
  bool atEnd_ = false;
  bool started_ = false;  ///< the byte-order mark has been looked for
};

}  // namespace grip
