#include "ResultTable.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/LineReader.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "plot/Formatted.h"
#include "plot/PlotMessages.h"

namespace grip::plot {

namespace {

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

/// Splits a line into its words.
std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && isBlank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !isBlank(line[end])) ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

/// Reads a whole word as a real number, as "%lf" reads it in the C locale.
NumberRead wordToReal(const std::string& word, double& value) {
  const char* text = word.c_str();
  const char* end = text + word.size();
  const NumberRead read = readNumber(text, end, value);
  return read == NumberRead::ok && text != end ? NumberRead::noNumber : read;
}

/// A word as a message shows it: unprintable bytes as '?', at most 40 characters.
std::string shown(const std::string& word) {
  std::string text = word.substr(0, 40);
  for (char& c : text) {
    if (!std::isprint(static_cast<unsigned char>(c))) c = '?';
  }
  if (word.size() > text.size()) text += "...";
  return text;
}

/// Whether a file carries the name of the trace file ("DiscreteOutput" in it).
bool isTraceName(const std::string& fileName) {
  const std::string name = std::filesystem::path(fileName).filename().string();
  return name.find(std::filesystem::path(kTraceFileName).stem().string()) != std::string::npos;
}

}  // namespace

const char* kindName(FileKind kind) {
  switch (kind) {
    case FileKind::patch:
      return "patch";
    case FileKind::sweep:
      return "sweep";
    case FileKind::compare:
      return "compare";
  }
  return "?";
}

int columnsOf(FileKind kind) { return kind == FileKind::compare ? 11 : 7; }

std::string readResultTable(const std::string& fileName, ResultTable& table) {
  table = ResultTable{};
  table.fileName = fileName;
  std::error_code error;
  if (std::filesystem::is_directory(fileName, error)) {
    return formatted(msg::kPlotCannotOpen, fileName.c_str(), std::strerror(EISDIR));
  }
  TextFile file = openForReading(fileName);
  if (!file) return formatted(msg::kPlotCannotOpen, fileName.c_str(), std::strerror(errno));

  LineReader reader(file.get(), fileName);
  int block = 0;
  bool gapPending = false;
  int firstLine = 0;
  while (reader.next()) {
    const std::string& line = reader.line();
    const int lineNumber = reader.lineNumber();
    if (line.size() >= LineReader::kMaxLineLength && line.back() != '\n') {
      return formatted(msg::kPlotLineTooLong, lineNumber, fileName.c_str());
    }
    const std::vector<std::string> words = wordsOf(line);
    if (words.empty()) {
      if (!table.rows.empty()) gapPending = true;
      continue;
    }
    ResultRow row;
    row.lineNumber = lineNumber;
    const int count = static_cast<int>(words.size());
    for (int k = 0; k < count; ++k) {
      double value = 0.0;
      const NumberRead read = wordToReal(words[k], value);
      if (read == NumberRead::decimalComma) {
        return formatted(msg::kPlotDecimalComma, lineNumber, fileName.c_str(), shown(words[k]).c_str());
      }
      if (read != NumberRead::ok) {
        return formatted(msg::kPlotNotANumber, lineNumber, fileName.c_str(), shown(words[k]).c_str());
      }
      if (!std::isfinite(value)) {
        return formatted(msg::kPlotNotFinite, lineNumber, fileName.c_str(), shown(words[k]).c_str());
      }
      if (k < static_cast<int>(row.value.size())) row.value[k] = value;
    }
    if (table.rows.empty()) {
      if (count != 7 && count != 11) return formatted(msg::kPlotColumnCount, lineNumber, fileName.c_str(), count);
      table.columns = count;
      firstLine = lineNumber;
    } else if (count != table.columns) {
      return formatted(msg::kPlotMixedColumns, lineNumber, fileName.c_str(), count, firstLine, table.columns);
    }
    if (gapPending) {
      ++block;
      table.rowsSeparated = true;
      gapPending = false;
    }
    row.block = block;
    table.rows.push_back(row);
  }
  if (std::ferror(file.get())) return formatted(msg::kPlotCannotOpen, fileName.c_str(), std::strerror(EIO));
  if (table.rows.empty()) {
    return formatted(isTraceName(fileName) ? msg::kPlotEmptyTrace : msg::kPlotEmpty, fileName.c_str());
  }
  table.endsWithEmptyLine = gapPending;
  return {};
}

FileKind detectKind(const ResultTable& table) {
  if (table.columns == 11) return FileKind::compare;
  if (table.rowsSeparated) return FileKind::patch;
  if (table.endsWithEmptyLine && isTraceName(table.fileName)) return FileKind::patch;
  return FileKind::sweep;
}

std::string checkKind(const ResultTable& table, FileKind kind) {
  // Empty lines mean nothing in a sweep or a comparison and are passed over.
  if (table.columns != columnsOf(kind)) {
    return formatted(msg::kPlotKindColumns, table.fileName.c_str(), table.columns, kindName(kind), columnsOf(kind));
  }
  return {};
}

}  // namespace grip::plot
