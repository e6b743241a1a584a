// gripfit: the MEX entry through which an optimiser fits the tyre parameters.
//   n       = gripfit(x, 0)   initialise: start values into x, number of design variables
//   [n, x0] = gripfit(x, 0)   the same, the start values also as a column
//   target  = gripfit(x, 1)   run: mean normalised force error [%] of the design x
//   target  = gripfit(x, -1)  terminate: as a run, then the result files
// Only plain C values live in this function, so that nothing needs unwinding
// should the host leave it early.

#include "mex.h"

#include <algorithm>
#include <span>

#include "gateway/DesignState.h"
#include "gateway/GatewayMessages.h"

namespace {

grip::DesignState state;  // the fit between calls; the only global of the plug-in

bool isRealDoubleArray(const mxArray* array) {
  return mxIsDouble(array) && !mxIsComplex(array) && !mxIsSparse(array);
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
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
  double* designVariables = mxGetPr(prhs[0]);
  const double identifier = mxGetPr(prhs[1])[0];
  *result = grip::handleDesignCall(state, {designVariables, mxGetNumberOfElements(prhs[0])}, identifier);
  if (grip::designCallOf(identifier) != grip::DesignCall::initialise) return;

  mexPrintf(grip::msg::kDesignVariableCount, state.designCount);  // 0 after a failed initialise
  if (nlhs > 1) {
    mxDestroyArray(plhs[1]);
    plhs[1] = mxCreateDoubleMatrix(static_cast<mwSize>(state.designCount), 1, mxREAL);
    std::copy_n(state.startValues.begin(), state.designCount, mxGetPr(plhs[1]));
  }
}
