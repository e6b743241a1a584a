#include "LineReader.h"

namespace grip {

bool LineReader::next() {
  next_.clear();
  while (next_.size() < kMaxLineLength) {
    int c = std::getc(file_);
    if (c == EOF) break;
    if (c == '\r') {
      int following = std::getc(file_);
      if (following == '\n') c = '\n';
      else if (following != EOF) std::ungetc(following, file_);
    }
    next_.push_back(static_cast<char>(c));
    if (c == '\n') break;
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
