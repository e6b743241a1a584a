#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "gateway/DesignState.h"
#include "gateway/GatewayMessages.h"

namespace grip::test {

/// A temporary folder that is the working folder while the object lives:
/// the fit reads and writes its files there.
class FitFolder : public TempDir {
 public:
  FitFolder() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(path()); }
  ~FitFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

/// The example tyre of the project (continuous model) as a design start file
/// text: every parameter named in `design` gets "designbounds lower upper".
inline std::string designStart(const std::vector<std::string>& design, double lower = 0.0, double upper = 1.0) {
  std::istringstream in(readFile(EXAMPLES_DIR "/passenger.dat"));
  std::ostringstream out;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    out << line;
    for (const std::string& marked : design)
      if (name == marked) out << " designbounds " << lower << " " << upper;
    out << "\n";
  }
  return out.str();
}

/// The same text with one value line replaced, e.g. ("model", "2").
inline std::string withValue(std::string text, const std::string& name, const std::string& value) {
  std::size_t at = text.find(" " + name + " ");
  std::size_t equals = text.find('=', at);
  std::size_t end = text.find_first_of(" \n", text.find_first_not_of(' ', equals + 1));
  return text.replace(equals + 1, end - equals - 1, " " + value);
}

/// One handleDesignCall with its console text.
struct CallResult {
  double value = 0.0;
  std::string output;
};

inline CallResult designCall(DesignState& state, std::vector<double>& x, double identifier) {
  ::testing::internal::CaptureStdout();
  CallResult result;
  result.value = handleDesignCall(state, x, identifier);
  result.output = ::testing::internal::GetCapturedStdout();
  return result;
}

}  // namespace grip::test
