// Fuzz target: DesignStart.dat through the checks and a short search, as
// gripfit runs them. A design start that passes the checks and a search
// that runs must give a finite target, a design within its bounds and a
// DesignResults.dat that reads back as a design start.

#include <cmath>
#include <cstdlib>

#include "FuzzScratch.h"
#include "core/ResultSet.h"
#include "fit/DesignState.h"
#include "fit/Search.h"

namespace {

/// At most this many evaluations over all starts.
constexpr long kBudget = 50;
/// Larger discrete grids are left to the design start target: 50 of their
/// evaluations under the sanitizers outlast the fuzzer's timeout.
constexpr double kMaxGridPoints = 2500.0;

void require(bool holds) {
  if (!holds) std::abort();  // an invariant of the fit broke: libFuzzer keeps the input
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace grip::fuzz;
  enterScratchFolder("designsearch");
  writeFile("DesignTarget.dat",
            "fuzz target list\n number of files = 2\n"
            " file = m.dat points = 3 direction = 2 speed = 20000\n"
            " file = m.dat points = 2 direction = 3 speed = 10000\n[Eof]\n");
  writeFile("m.dat", measurementFileText());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace grip;
  fuzz::writeFile(fit::kDesignStartFile, fuzz::asText(data, size));
  fuzz::removeFile(fit::kDesignResultsFile);
  DesignState state;
  if (initialiseDesign(state) != 0.0) return 0;
  const ParameterSet& parameters = state.model->parameters;
  if (state.model->modelType == kDiscreteModel && parameters[par::ni] * parameters[par::nj] > kMaxGridPoints) return 0;
  for (const DesignIssue& issue : validateDesign(state))
    if (issue.error) return 0;

  SearchOptions options;
  options.starts = 1;
  options.threads = 1;
  options.maxEvaluations = kBudget;
  SearchResult result = searchDesign(state, options);
  if (!result.fault.empty()) return 0;  // a budget too small for this design's first step: nothing evaluated
  require(result.evaluations > 0 && result.evaluations <= kBudget);
  require(std::isfinite(result.target));
  require(result.design.size() == static_cast<std::size_t>(state.designCount));
  std::size_t design = 0;
  for (std::size_t p = 0; p < kParameterCount; ++p) {
    if (state.designMask[p] != 1) continue;
    const double value = result.design[design++];
    require(value >= state.lowerBound[p] && value <= state.upperBound[p]);
  }

  // The fitted file, as gripfit writes it, is the next design start.
  applyDesignVariables(*state.model, state, result.design);
  evaluateTarget(state);
  ResultSet results(".");
  require(writeDesignResults(state, result.design, results) && commitResults(results));
  DesignState again;
  require(initialiseDesign(again, fit::kDesignResultsFile) == 0.0);
  require(again.designCount == state.designCount);
  return 0;
}
