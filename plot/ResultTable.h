#pragma once

#include <array>
#include <string>
#include <vector>

namespace grip::plot {

/// What a result file holds, and so how it is drawn.
enum class FileKind {
  patch,    ///< trace of one discrete evaluation: x, y, ux, uy, pz, fx, fy per grid point
  sweep,    ///< range result: slip, slip angle, camber, Fx, Fy, load, Mz per point
  compare,  ///< file-section result or fit listing: operating point, measured and model forces
};

/// Name of the kind as the command line and the messages write it.
const char* kindName(FileKind kind);

/// Numbers per line of a file of the kind.
int columnsOf(FileKind kind);

/// One line of numbers of a result file.
struct ResultRow {
  std::array<double, 11> value{};  ///< the numbers in file order; unused places are 0
  int lineNumber = 0;              ///< line in the file, from 1
  int block = 0;                   ///< number of empty-line gaps before the line
};

/// The numbers of one result file, line by line, checked to be a table of
/// finite numbers with 7 or 11 columns.
struct ResultTable {
  std::string fileName;
  int columns = 0;  ///< 7 or 11
  std::vector<ResultRow> rows;
  bool rowsSeparated = false;      ///< an empty line stands between two lines of numbers
  bool endsWithEmptyLine = false;  ///< an empty line follows the last line of numbers
};

/// Reads a result file into table. Returns "" on success, else the message
/// that names the file and, where it applies, the line.
std::string readResultTable(const std::string& fileName, ResultTable& table);

/// The kind a table's layout shows: 11 columns are a comparison; 7 columns
/// are a contact-patch trace when empty lines split them into rows, or when
/// the file carries the trace file's name and ends with an empty line, else
/// a range result.
FileKind detectKind(const ResultTable& table);

/// Checks that table can be drawn as kind (the number of columns); returns
/// "" or the message.
std::string checkKind(const ResultTable& table, FileKind kind);

}  // namespace grip::plot
