function [x, target] = gripfit_fit(maxEvaluations, stopTarget)
%GRIPFIT_FIT Fits the tyre parameters marked in DesignStart.dat to the
%measurements listed in DesignTarget.dat, both in the current folder.
%
%   [x, target] = gripfit_fit
%   [x, target] = gripfit_fit(maxEvaluations, stopTarget)
%
%   The design variables are the parameters whose line in DesignStart.dat
%   carries "designbounds lower upper"; x returns their fitted values in
%   parameter order and target the mean load-normalised force error in
%   percent. The search (fminsearch, Nelder-Mead) runs on a transform that
%   keeps every variable within its bounds (a variable whose upper bound is
%   not above its lower bound is searched without bounds). It stops after
%   maxEvaluations model evaluations (default 2000), once the target falls
%   below stopTarget percent (default 0), or when the search has converged.
%   At the end gripfit writes file1.dat, file2.dat, ... (measured beside
%   fitted forces) and DesignResults.dat (the fitted parameter file, which
%   can be the next DesignStart.dat).
%
%   Needs the gripfit MEX file on the path; runs in GNU Octave and in MATLAB
%   without toolboxes.

if nargin < 1, maxEvaluations = 2000; end
if nargin < 2, stopTarget = 0; end

[count, x0] = gripfit(zeros(33, 1), 0);
if count >= 1e10
  error('gripfit_fit:initialise', 'gripfit could not initialise (%g): see the messages above', count);
end
if count == 0
  x = x0;
  target = gripfit(x, -1);
  fprintf(' no design variables in DesignStart.dat: target %.6g %%\n', target);
  return;
end
[lower, upper] = designBounds('DesignStart.dat', count);

fprintf(' %d design variables, target at the start %.6g %%\n', count, gripfit(x0, 1));
objective = @(z) gripfit(toDesign(z, lower, upper), 1);
options = optimset('MaxFunEvals', maxEvaluations, 'MaxIter', maxEvaluations, 'TolX', 1e-8, ...
                   'TolFun', 1e-8, 'OutputFcn', @(z, values, state) progress(values, state, stopTarget));
z = fminsearch(objective, toSearch(x0, lower, upper), options);

x = toDesign(z, lower, upper);
target = gripfit(x, -1);
if target >= 1e10
  error('gripfit_fit:terminate', 'the result files were not written (%g): see the messages above', target);
end
fprintf(' fitted: target %.6g %%; file1.dat ... and DesignResults.dat written\n', target);
end

function [lower, upper] = designBounds(fileName, count)
% The two numbers after "designbounds" on the marked lines, in file order,
% which is the order of the design variables.
lower = zeros(count, 1);
upper = zeros(count, 1);
lines = regexp(fileread(fileName), '[^\n]*', 'match');
k = 0;
for i = 1:numel(lines)
  at = strfind(lines{i}, 'designbounds');
  if isempty(at) || k == count
    continue;
  end
  k = k + 1;
  bounds = sscanf(lines{i}(at(1) + length('designbounds'):end), '%f', 2);
  if numel(bounds) >= 1, lower(k) = bounds(1); end
  if numel(bounds) >= 2, upper(k) = bounds(2); end
end
end

function x = toDesign(z, lower, upper)
% Design values from the search variables: lower + (upper - lower)(1 - cos z)/2
% never leaves [lower, upper]; unbounded variables are taken as they are.
x = z(:);
bounded = upper > lower;
x(bounded) = lower(bounded) + (upper(bounded) - lower(bounded)) .* (1 - cos(z(bounded))) / 2;
end

function z = toSearch(x, lower, upper)
% The inverse of toDesign; a start value outside its bounds starts at the bound.
z = x(:);
bounded = upper > lower;
share = (x(bounded) - lower(bounded)) ./ (upper(bounded) - lower(bounded));
z(bounded) = acos(1 - 2 * min(max(share, 0), 1));
end

function stop = progress(values, state, stopTarget)
stop = false;
if strcmp(state, 'iter')
  if mod(values.iteration, 20) == 0
    fprintf(' iteration %4d, %5d evaluations: target %.6g %%\n', values.iteration, values.funccount, values.fval);
  end
  stop = values.fval < stopTarget;
end
end
