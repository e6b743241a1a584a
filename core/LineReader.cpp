#include "LineReader.h"

#include <algorithm>

namespace grip {

LineReader::LineReader(std::FILE* file, std::string fileName, std::size_t blockSize)
    : file_(file), fileName_(std::move(fileName)), block_(std::max<std::size_t>(blockSize, 1)) {}

bool LineReader::available() {
  if (position_ < filled_) return true;
  position_ = 0;
  filled_ = std::fread(block_.data(), 1, block_.size(), file_);
  return filled_ > 0;
}

void LineReader::skipByteOrderMark() {
  static constexpr char kMark[] = "\xEF\xBB\xBF";
  started_ = true;
  std::size_t matched = 0;
  while (matched < 3 && available() && block_[position_] == kMark[matched]) {
    ++position_;
    ++matched;
  }
  next_.append(kMark, matched < 3 ? matched : 0);
}

bool LineReader::next() {
  next_.clear();
  if (!started_) skipByteOrderMark();
  while (next_.size() < kMaxLineLength && available()) {
    // The characters up to a line end, a carriage return, the end of the
    // block or the longest line, taken in one piece.
    const char* begin = block_.data() + position_;
    const std::size_t room = std::min(filled_ - position_, kMaxLineLength - next_.size());
    const char* end = std::find_if(begin, begin + room, [](char c) { return c == '\n' || c == '\r'; });
    next_.append(begin, end);
    position_ += static_cast<std::size_t>(end - begin);
    if (end == begin + room) continue;

    ++position_;
    if (*end == '\n') {
      next_.push_back('\n');
      break;
    }
    // A carriage return ends the line only before a line feed; otherwise it
    // stays in the line, and what follows it is read next.
    if (available() && block_[position_] == '\n') {
      ++position_;
      next_.push_back('\n');
      break;
    }
    next_.push_back('\r');
  }
  if (next_.empty()) {
    atEnd_ = true;
    return false;
  }
  line_.swap(next_);
  ++lineNumber_;
  return true;
}

}  // namespace grip
