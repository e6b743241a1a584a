#pragma once

// Shared by the fuzz targets: every input is written to a file in one
// scratch folder per process, which the process works in; the messages the
// code prints on the standard output are thrown away.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace grip::fuzz {

/// Creates the scratch folder (temporary folder + process id), makes it the
/// working folder and sends the standard output to /dev/null. Call once,
/// from LLVMFuzzerInitialize.
void enterScratchFolder(const char* targetName);

/// Writes bytes to a file of the scratch folder, replacing what was there.
void writeFile(const std::string& name, std::string_view bytes);

/// Removes a file of the scratch folder when it is there.
void removeFile(const std::string& name);

/// The fuzz data as text.
inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

/// A parameter file both model types can read: the continuous model, or
/// the discrete one with a small grid (ni, nj as given).
std::string parameterFileText(int model, int sliding, int pressure, int ni = 8, int nj = 8);

/// A measurement file of seven columns per line, lines long.
std::string measurementFileText(int lines = 3);

/// The fuzz data as the text of a file whose names stay in the scratch
/// folder: every "/" becomes "_", so that no path leads out of it.
std::string withoutPaths(std::string_view text);

}  // namespace grip::fuzz
