#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "fit/DesignState.h"
#include "fit/Search.h"

namespace grip {

/// The fit quality of one channel (Fx, Fy or Mz) of one measurement file.
struct ChannelReport {
  std::string file;         ///< measurement file as the target list names it
  int direction = 0;        ///< its target direction
  const char* channel = ""; ///< "Fx", "Fy" or "Mz"
  int points = 0;
  double meanError = 0.0;         ///< mean of model minus measured [N, N*mm for Mz]
  double rmsError = 0.0;          ///< root mean square of model minus measured [N, N*mm]
  double meanErrorPercent = 0.0;  ///< mean of (model - measured) / Fz [% of Fz; Mz over 500 Fz]
  double rmsErrorPercent = 0.0;   ///< the same as root mean square
  double measuredPeak = 0.0;      ///< largest magnitude measured [N, N*mm]
  double modelPeak = 0.0;         ///< largest magnitude of the model [N, N*mm]
  bool inTarget = false;          ///< the channel counts in the target value
};

/// A design variable and where it ended.
struct DesignReport {
  std::string name;
  double start = 0.0, value = 0.0, lower = 0.0, upper = 0.0;
  int boundFlag = 0;  ///< -1 on (or below) the lower bound, 1 on the upper, 0 within
};

/// The report of a fit: per file and channel, the target value, the design
/// variables and the search.
struct FitReport {
  std::vector<ChannelReport> channels;
  std::vector<DesignReport> design;
  double target = 0.0;
  SearchResult search;
};

/// Report of the state's model at the design variables (evaluates them).
FitReport makeReport(DesignState& state, const SearchResult& search);

/// The report as a readable text table, as CSV and as JSON.
void writeReportText(std::FILE* file, const FitReport& report);
void writeReportCsv(std::FILE* file, const FitReport& report);
void writeReportJson(std::FILE* file, const FitReport& report);

}  // namespace grip
