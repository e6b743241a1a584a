% Arguments that gripfit refuses, and calls before any initialise. The driver
% compares the printed messages with test_gripfit_arguments.out.
x = zeros(1, 3);
assert(gripfit() == 1e10);
assert(gripfit(x, 1, 2) == 1e10);
assert(gripfit(x, [1; 1]) == 1e10);       % the identifier must be one row
assert(gripfit(x, zeros(1, 0)) == 1e10);  % one row, but no identifier in it
assert(gripfit(x, int32(1)) == 1e10);
assert(gripfit(single(x), 1) == 1e10);
assert(gripfit(x, 1 + 2i) == 1e10);
assert(gripfit(sparse(x), 1) == 1e10);
assert(gripfit({x}, 1) == 1e10);
assert(gripfit(x, NaN) == 1e10);
assert(gripfit(x, [1 7 -1]) == 1e12);     % a row: its first value asks for a run
assert(gripfit(x, -1.2) == 1e12);
assert(gripfit(x, 1e300) == 1e12);        % far beyond an int: still a run
[value, start] = gripfit(x, 1.9);
assert(value == 1e12 && isempty(start));
assert(isequal(x, zeros(1, 3)));
printf("done\n");
