% Initialise, runs and terminate on the worked example of examples/fit; then
% DesignResults.dat feeds gripsim and starts the next fit. The driver compares
% the printed messages with test_gripfit_lifecycle.out.
copyfile(fullfile(getenv('EXAMPLES_DIR'), 'fit', '*.dat'), '.');
start = [0.072 0.036 0.9 1.2];  % cx0, cy0, mue0, MzScaleP as DesignStart.dat gives them
truth = [0.06 0.045 1.05 1.0];  % as ../passenger.dat, from which the measurements came

% The plug-in never writes into its inputs: Octave shares array data between
% copies, so a write would change y, the struct field and the cell too.
x = zeros(1, 4); y = x; s.x = x; c = {x};
[count, x0] = gripfit(x, 0);
assert(count == 4 && isequal(x0, start'));
assert(isequal(x, zeros(1, 4)) && isequal(y, x) && isequal(s.x, x) && isequal(c{1}, x));

[count, x0] = gripfit(zeros(3, 1), 0);  % initialise again; the size of the array does not matter
assert(count == 4 && isequal(x0, start'));
x = x0';

atStart = gripfit(x0, 1);
assert(atStart > 1 && atStart < 100);  % a percentage, well away from the truth
assert(gripfit(x0', 1) == atStart);  % the same design, row or column: the same value
atTruth = gripfit(truth, 1);
assert(atTruth < 1e-3);              % the measurements are printed to 7 digits
assert(gripfit([0.06 0.045], 1) == 1e10);

% The residuals: one per point and compared channel (direction 3 compares
% Fy and Mz), whose magnitudes add up to the target value.
[t, r] = gripfit(x0, 1);
assert(t == atStart && numel(r) == 41 * 5 + 41 && abs(sum(abs(r)) - t) < 1e-12 * t);

assert(gripfit(truth, -1) == atTruth);  % terminate: as a run of the same design
assert(gripfit(truth, 1) == 1e12);       % then nothing is left to run

for k = 1:5, assert(isequal(size(load(sprintf('file%d.dat', k))), [41 11])); end
results = fileread('DesignResults.dat');
assert(~isempty(strfind(results, ' cx0      = +6.0000000000e-02 [N/mm^3] designbounds  +3.000000e-02 +9.000000e-02     1   0')));
assert(~isempty(regexp(results, '\[TargetValue\]\n target   = \d+\.\d{6} \n\[Eof\]\n$', 'once')));

% The fitted parameters start the next fit, or go into gripsim.
fid = fopen('run.ctl', 'w'); fprintf(fid, '[DataFileName]\nDesignResults.dat\n[SingleInput]\n slip = 0.05\n alpha = 2\n camber = 0\n Fz = 4000\n V = 20000\n[Eof]\n'); fclose(fid);
[status, out] = system([getenv('GRIPSIM') ' run.ctl']);
assert(status == 0);
assert(strncmp(out, ' Fx   = ', 8), out);
copyfile('DesignResults.dat', 'DesignStart.dat');
[count, x0] = gripfit(x, 0);
assert(count == 4 && isequal(x0, truth'));  % 11 digits give these values back exactly
% Every message, from whatever layer, reaches the command window, so evalc
% (and diary) see the reason for a failure value.
delete('DesignTarget.dat');
out = evalc('assert(gripfit(x, 0) == 1e11)');
assert(strcmp(out, [" unable to open input file DesignTarget.dat for reading\n" ...
                    " error in reading file DesignTarget \n number of design variables = 0\n"]), out);
printf("done\n");
