#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "fit/DesignState.h"
#include "fit/Preparation.h"
#include "fit/Search.h"
#include "fit/Uncertainty.h"

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
  double targetShare = 0.0;       ///< its part of the target value [%-points]; 0 when not in the target
};

/// A design variable and where it ended.
struct DesignReport {
  std::string name;
  double start = 0.0, value = 0.0, lower = 0.0, upper = 0.0;
  int boundFlag = 0;  ///< -1 on (or below) the lower bound, 1 on the upper, 0 within (1e-6 of the range counts as on)
};

/// The report of a fit: per file and channel, the target value, the design
/// variables and the search.
struct FitReport {
  std::vector<ChannelReport> channels;
  std::vector<DesignReport> design;
  double target = 0.0;  ///< [%]
  int points = 0;       ///< measured points of all files
  SearchResult search;  ///< startsDone 0: no search, the design as given
  /// What the data determine at the design, one variable per entry of
  /// design; nullopt: not judged (the text and JSON then leave it out).
  std::optional<DesignUncertainty> uncertainty;
  /// Where the data came from, when the target list's folder was prepared
  /// (the design state's record); nullopt: the reports leave it out.
  std::optional<Preparation> preparation;
};

/// Report of the state's model at the search's design (evaluates it: the
/// state's model and target value are left at that design). Every file
/// gets Fx, Fy and Mz in that order, and the design its uncertainty
/// (designUncertainty for a fit of absolute errors).
FitReport makeReport(DesignState& state, const SearchResult& search);

/// The report as a readable text table and as JSON (UTF-8: bytes of a
/// name that are not UTF-8 become U+FFFD; reals read back as the same
/// doubles; a value that is not finite is null).
std::string reportText(const FitReport& report);
std::string reportJson(const FitReport& report);

/// The same into a stream, and the CSV form.
void writeReportText(std::FILE* file, const FitReport& report);
void writeReportCsv(std::FILE* file, const FitReport& report);
void writeReportJson(std::FILE* file, const FitReport& report);

}  // namespace grip
