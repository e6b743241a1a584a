#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plot/ResultTable.h"

namespace grip::plot {

/// The command line of gripplot.
struct PlotOptions {
  std::vector<std::string> inputs;  ///< result files, in the order given
  std::string output;               ///< picture name; "" for the default
  std::optional<FileKind> kind;     ///< kind forced by --kind
  int width = 0;                    ///< [px]; 0 for the kind's default
  int height = 0;                   ///< [px]; 0 for the kind's default
  std::string scriptName;           ///< where to save the gnuplot script; "" for nowhere
  bool help = false;
  bool version = false;
};

/// Reads the arguments (without the program name) into options; returns ""
/// or the message.
std::string parseOptions(const std::vector<std::string>& arguments, PlotOptions& options);

/// Default picture name: the stems of the inputs joined by "_" with ".png",
/// in the folder of the first input ("alpha_sweep.dat" gives "alpha_sweep.png").
std::string defaultOutputName(const std::vector<std::string>& inputs);

/// Target value of a fit from DesignResults.dat: the number on the line
/// after "[TargetValue]". None when the file cannot be opened or holds none.
std::optional<double> readTargetValue(const std::string& fileName, bool& opened);

/// What one run of gripplot printed and its exit status.
struct PlotRun {
  int status = 0;
  std::string output;  ///< standard output: the picture name, help or version
  std::string errors;  ///< standard error: notes and faults
};

/// One run of gripplot on its arguments (without the program name).
PlotRun runGripplot(const std::vector<std::string>& arguments, const char* version);

}  // namespace grip::plot
