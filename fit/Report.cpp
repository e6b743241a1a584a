// The report of a fit.

#include "fit/Report.h"

namespace grip {

FitReport makeReport(DesignState&, const SearchResult& search) {
  FitReport report;
  report.search = search;
  report.target = search.target;
  return report;
}
void writeReportText(std::FILE*, const FitReport&) {}
void writeReportCsv(std::FILE*, const FitReport&) {}
void writeReportJson(std::FILE*, const FitReport&) {}

}  // namespace grip
