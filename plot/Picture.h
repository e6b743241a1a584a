#pragma once

#include <functional>
#include <string>

#include "plot/Canvas.h"

namespace grip::plot {

/// Writes the script of a picture for the file gnuplot is to write.
using ScriptMaker = std::function<std::string(const Canvas&)>;

/// Makes the picture canvas.output: gnuplot runs the script into a temporary
/// file in the same folder, and only a complete picture replaces the named
/// file; on any failure the temporary files are removed and nothing is left
/// behind. The gnuplot program is GRIPPLOT_GNUPLOT where that is set.
/// Returns "" or the message.
std::string drawPicture(const ScriptMaker& script, const Canvas& canvas);

/// Writes text as the whole of a file; false when it cannot (errno tells why).
bool writeWholeFile(const std::string& fileName, const std::string& text);

/// Whether a file holds a complete picture of the type: the PNG signature
/// and header chunk, or an SVG root element that is closed. For a PNG the
/// size is read from the header.
bool isCompletePicture(const std::string& fileName, PictureType type, int* width = nullptr, int* height = nullptr);

}  // namespace grip::plot
