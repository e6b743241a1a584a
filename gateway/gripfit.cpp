// gripfit: the MEX entry through which an optimiser fits the tyre parameters.
//   [n, x0] = gripfit(x, 0)   initialise: number of design variables and their start values
//   target  = gripfit(x, 1)   run: mean normalised force error [%] of the design x
//   [t, r]  = gripfit(x, 1)   the same, with the residuals: one error per point and channel
//   target  = gripfit(x, -1)  terminate: as a run, then the result files
// The input arrays are only read: Octave and MATLAB share one array's data
// between all its copies. Only plain C values live in this function, so
// that nothing needs unwinding should the host leave it early.

#include "mex.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "core/Console.h"
#include "fit/DesignState.h"
#include "fit/FitMessages.h"

namespace {

grip::DesignState state;  // the fit between calls; the only global of the plug-in

bool isRealDoubleArray(const mxArray* array) {
  return mxIsDouble(array) && !mxIsComplex(array) && !mxIsSparse(array);
}

/// Every message of the library, from whatever layer, goes to the host's
/// command window, where diary and evalc see it too.
void printThroughHost() {
  grip::setMessageSink([](std::string_view text) { mexPrintf("%.*s", static_cast<int>(text.size()), text.data()); });
}

/// The residuals of the last run call's design, as a column.
mxArray* residualColumn() {
  const std::size_t count = state.evaluator ? state.evaluator->residualCount() : 0;
  mxArray* column = mxCreateDoubleMatrix(static_cast<mwSize>(count), 1, mxREAL);
  if (count > 0) state.evaluator->residuals({mxGetPr(column), count});
  return column;
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  printThroughHost();
  plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
  double* result = mxGetPr(plhs[0]);
  if (nlhs > 1) plhs[1] = mxCreateDoubleMatrix(0, 0, mxREAL);
  *result = grip::kArgumentFault;
  if (nrhs != 2) {
    mexPrintf("%s", grip::msg::kDesignArgumentCount);
    return;
  }
  if (mxGetM(prhs[1]) != 1) {
    mexPrintf("%s", grip::msg::kIdentifierShape);
    return;
  }
  if (!isRealDoubleArray(prhs[0]) || !isRealDoubleArray(prhs[1])) {
    mexPrintf("%s", grip::msg::kArgumentType);
    return;
  }
  if (mxGetNumberOfElements(prhs[1]) == 0) {
    mexPrintf("%s", grip::msg::kIdentifierEmpty);
    return;
  }
  const std::span<const double> design{mxGetPr(prhs[0]), mxGetNumberOfElements(prhs[0])};
  const double identifier = mxGetPr(prhs[1])[0];
  const grip::DesignCall call = grip::designCallOf(identifier);
  *result = grip::handleDesignCall(state, design, identifier);
  if (call == grip::DesignCall::run && nlhs > 1 && *result < grip::kArgumentFault) {
    mxDestroyArray(plhs[1]);
    plhs[1] = residualColumn();
  }
  if (call != grip::DesignCall::initialise) return;

  mexPrintf(grip::msg::kDesignVariableCount, state.designCount);  // 0 after a failed initialise
  if (nlhs > 1) {
    mxDestroyArray(plhs[1]);
    plhs[1] = mxCreateDoubleMatrix(static_cast<mwSize>(state.designCount), 1, mxREAL);
    std::copy_n(state.startValues.begin(), state.designCount, mxGetPr(plhs[1]));
  }
}
