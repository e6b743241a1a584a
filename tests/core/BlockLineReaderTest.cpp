// The block reader against the character reader whose lines it must give.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TempDir.h"
#include "core/BlockLineReader.h"
#include "core/LineReader.h"
#include "core/TextFile.h"

namespace grip {
namespace {

/// Every line of the file with its number, and the line that stays after the end.
template <class Reader>
std::vector<std::string> linesOf(const std::string& path, std::size_t blockSize = 0) {
  TextFile file = openForReading(path);
  std::vector<std::string> lines;
  auto collect = [&](Reader& reader) {
    while (reader.next()) lines.push_back(std::to_string(reader.lineNumber()) + ":" + reader.line());
    lines.push_back("end " + std::to_string(reader.lineNumber()) + ":" + reader.line() +
                    (reader.atEnd() ? " at end" : ""));
  };
  if constexpr (std::is_same_v<Reader, BlockLineReader>) {
    BlockLineReader reader(file.get(), path, blockSize);
    collect(reader);
  } else {
    LineReader reader(file.get(), path);
    collect(reader);
  }
  return lines;
}

TEST(BlockLineReader, GivesTheLinesOfTheCharacterReader) {
  test::TempDir dir;
  // Texts of line feeds, carriage returns, NULs and runs of letters, some
  // runs longer than a line, so that line ends, splits and "\r\n" pairs fall
  // on every position of a block, small blocks included.
  std::mt19937 random(11);
  std::uniform_int_distribution<int> kind(0, 9), run(1, 300), length(0, 40);
  const std::size_t blockSizes[] = {1, 2, 3, 7, 254, 255, 256, 4096, BlockLineReader::kDefaultBlockSize};
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
    const std::vector<std::string> want = linesOf<LineReader>(dir.file("t.txt"));
    for (std::size_t blockSize : blockSizes) {
      SCOPED_TRACE("text " + std::to_string(k) + ", block " + std::to_string(blockSize));
      ASSERT_EQ(linesOf<BlockLineReader>(dir.file("t.txt"), blockSize), want);
    }
  }
}

}  // namespace
}  // namespace grip
