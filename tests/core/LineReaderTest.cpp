// The line reader, which takes its file a block at a time, against the
// plain rule read one character at a time.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TempDir.h"
#include "core/LineReader.h"
#include "core/TextFile.h"

namespace grip {
namespace {

/// The rule one character at a time: at most 255 characters with the line
/// end, "\r\n" read as "\n", a lone "\r" kept in the line.
struct CharacterReader {
  std::FILE* file;
  std::string line;
  int lineNumber = 0;
  bool atEnd = false;

  bool next() {
    std::string text;
    while (text.size() < LineReader::kMaxLineLength) {
      int c = std::getc(file);
      if (c == EOF) break;
      if (c == '\r') {
        const int following = std::getc(file);
        if (following == '\n') c = '\n';
        else if (following != EOF) std::ungetc(following, file);
      }
      text.push_back(static_cast<char>(c));
      if (c == '\n') break;
    }
    if (text.empty()) return !(atEnd = true);
    line = text;
    ++lineNumber;
    return true;
  }
};

/// Every line of the file with its number, and the line that stays after the end.
std::vector<std::string> linesOf(const std::string& path, std::size_t blockSize) {
  TextFile file = openForReading(path);
  std::vector<std::string> lines;
  if (blockSize == 0) {
    CharacterReader reader{file.get(), {}, 0, false};
    while (reader.next()) lines.push_back(std::to_string(reader.lineNumber) + ":" + reader.line);
    lines.push_back("end " + std::to_string(reader.lineNumber) + ":" + reader.line + (reader.atEnd ? " at end" : ""));
    return lines;
  }
  LineReader reader(file.get(), path, blockSize);
  while (reader.next()) lines.push_back(std::to_string(reader.lineNumber()) + ":" + reader.line());
  lines.push_back("end " + std::to_string(reader.lineNumber()) + ":" + reader.line() + (reader.atEnd() ? " at end" : ""));
  return lines;
}

TEST(LineReader, BlocksOfAnySizeGiveTheLinesOfTheCharacterRule) {
  test::TempDir dir;
  // Texts of line feeds, carriage returns, NULs and runs of letters, some
  // runs longer than a line, so that line ends, splits and "\r\n" pairs fall
  // on every position of a block, small blocks included.
  std::mt19937 random(11);
  std::uniform_int_distribution<int> kind(0, 9), run(1, 300), length(0, 40);
  const std::size_t blockSizes[] = {1, 2, 3, 7, 254, 255, 256, 4096, LineReader::kDefaultBlockSize};
  for (int k = 0; k < 300; ++k) {
    std::string text;
    for (int n = length(random); n > 0; --n) {
      switch (kind(random)) {
        case 0: text += '\n'; break;
        case 1: text += '\r'; break;
        case 2: text += "\r\n"; break;
        case 3: text += '\0'; break;
        case 4: text += std::string(static_cast<std::size_t>(run(random)), 'x'); break;
        default: text += std::string(static_cast<std::size_t>(run(random)) % 20, 'a' + static_cast<char>(n % 26));
      }
    }
    dir.write("t.txt", text);
    const std::vector<std::string> want = linesOf(dir.file("t.txt"), 0);
    for (std::size_t blockSize : blockSizes) {
      SCOPED_TRACE("text " + std::to_string(k) + ", block " + std::to_string(blockSize));
      ASSERT_EQ(linesOf(dir.file("t.txt"), blockSize), want);
    }
  }
}

// A byte-order mark is passed over at the start of a file only; a partial
// one is text of the first line.
TEST(LineReader, ByteOrderMarkAtTheStartIsPassedOver) {
  test::TempDir dir;
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"\xEF\xBB\xBF 1 2\nb\n", {"1: 1 2\n", "2:b\n", "end 2:b\n at end"}},
      {"\xEF\xBB\xBF", {"end 0: at end"}},
      {"\xEF\xBB 1\n", {"1:\xEF\xBB 1\n", "end 1:\xEF\xBB 1\n at end"}},
      {"\xEF\n", {"1:\xEF\n", "end 1:\xEF\n at end"}},
      {"a\n\xEF\xBB\xBF\n", {"1:a\n", "2:\xEF\xBB\xBF\n", "end 2:\xEF\xBB\xBF\n at end"}},
  };
  for (const auto& c : cases) {
    dir.write("t.txt", c.text);
    for (std::size_t blockSize : {std::size_t{1}, std::size_t{2}, LineReader::kDefaultBlockSize}) {
      SCOPED_TRACE(c.text + ", block " + std::to_string(blockSize));
      EXPECT_EQ(linesOf(dir.file("t.txt"), blockSize), c.lines);
    }
  }
}

}  // namespace
}  // namespace grip
