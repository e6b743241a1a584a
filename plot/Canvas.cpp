#include "Canvas.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "plot/Formatted.h"

namespace grip::plot {

std::optional<PictureType> pictureTypeOf(const std::string& fileName) {
  std::string extension = std::filesystem::path(fileName).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".png") return PictureType::png;
  if (extension == ".svg") return PictureType::svg;
  return std::nullopt;
}

std::string canvasCommands(const Canvas& canvas) {
  const std::string size = formatted("size %d,%d", canvas.width, canvas.height);
  std::string text = "set encoding utf8\n";
  if (canvas.type == PictureType::svg) {
    text += "set terminal svg " + size + " enhanced font \"Sans,12\" background \"#ffffff\"\n";
  } else {
    const std::string options = size + " enhanced font \"Sans,10\" background \"#ffffff\"\n";
    text += "if (strstrt(GPVAL_TERMINALS, \"pngcairo\") > 0) {\n";
    text += "  set terminal pngcairo " + options;
    text += "} else {\n";
    text += "  set terminal png " + options;
    text += "}\n";
  }
  text += "set output " + gnuplotPath(canvas.output) + "\n";
  return text;
}

std::string closingCommands() { return "unset multiplot\nunset output\n"; }

}  // namespace grip::plot
