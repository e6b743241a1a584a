#pragma once

#include <optional>
#include <string>

namespace grip::plot {

enum class PictureType { png, svg };

/// The picture gnuplot draws: its type, size and the file it writes.
struct Canvas {
  PictureType type = PictureType::png;
  int width = 0;       ///< [px]
  int height = 0;      ///< [px]
  std::string output;  ///< the file gnuplot writes
};

/// The picture type a file name asks for by its extension (.png or .svg,
/// in any case); none for another or no extension.
std::optional<PictureType> pictureTypeOf(const std::string& fileName);

/// The gnuplot lines that open the canvas: terminal, size, fonts, output.
/// PNG pictures are drawn with the cairo terminal where gnuplot has it,
/// else with the plain PNG terminal.
std::string canvasCommands(const Canvas& canvas);

/// The gnuplot lines that close the picture so that its file is complete.
std::string closingCommands();

}  // namespace grip::plot
