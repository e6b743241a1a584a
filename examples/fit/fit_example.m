%FIT_EXAMPLE The worked fitting example.
%   The measurement files of this folder are gripsim sweeps of the passenger
%   car tyre ../passenger.dat (made with "gripsim measure.ctl"): Fx at 3 and
%   5 kN, Fy at 3 and 5 kN, Fy and Mz at 4 kN. DesignStart.dat holds the
%   same tyre with cx0, cy0, mue0 and MzScaleP moved away from it and marked
%   as design variables. The fit runs in a copy of the folder, so that the
%   result files do not land among the examples, and should find the tyre
%   again: cx0 0.06, cy0 0.045, mue0 1.05, MzScaleP 1.
%
%   In Octave or MATLAB, with gripfit.mex (build/.../gateway/octave) and this
%   folder on the path:
%       fit_example

here = fileparts(mfilename('fullpath'));
addpath(here);  % gripfit_fit, also once the fit runs in its copy
work = tempname;
mkdir(work);
copyfile(fullfile(here, '*.dat'), work);
previous = cd(work);
try
  [x, target] = gripfit_fit();
  cd(previous);
catch failure
  cd(previous);
  rethrow(failure);
end
fprintf(' %-8s %12s %12s\n', 'name', 'fitted', 'true');
names = {'cx0', 'cy0', 'mue0', 'MzScaleP'};
truth = [0.06 0.045 1.05 1.0];
for k = 1:numel(names)
  fprintf(' %-8s %12.6g %12.6g\n', names{k}, x(k), truth(k));
end
fprintf(' results in %s\n', work);
