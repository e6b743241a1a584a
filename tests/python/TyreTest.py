"""The tyre from Python against gripsim on the reference cases, and the
behaviour of the Python API around it."""

import os
import pathlib
import pickle
import re
import subprocess
import threading

import numpy as np
import pytest

import gripsim
from conftest import EXAMPLES, ROOT, RUNNER_CASES

RANGE_LINE = " %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e\n"
FILE_LINE = " %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e  %+12.6e %+12.6e %+12.6e\n"
TRACE_LINE = " %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e %+12.6e \n"
FORCES_LINE = " Fx   = %f, Fy = %f, Mz = %f \n"
AREA_LINE = " Area = %f,  h = %f,  b = %f, h*b = %f \n"


def sections(control):
    """The sections of a run-control file: (key, lines up to the next section)."""
    found = []
    for line in control.read_text().splitlines():
        if line.startswith("["):
            found.append((line.split()[0].rstrip("]"), []))
        elif found:
            found[-1][1].append(line)
    return found


def value(line):
    return line.split("=", 1)[1].split()[0]


def operating_point(lines):
    return [float(value(line)) for line in lines]


def run_gripsim(folder):
    gripsim = os.environ.get("GRIP_GRIPSIM")
    if not gripsim:
        pytest.skip("GRIP_GRIPSIM names no built gripsim (run through ctest)")
    return subprocess.run([os.path.abspath(gripsim), "run.ctl"], cwd=folder, capture_output=True, text=True, check=False).stdout


@pytest.mark.parametrize("name", RUNNER_CASES)
def testEvaluateAgreesWithGripsimAndTheScalarPath(name, case_copy):
    folder = case_copy("runner", name)
    stdout = run_gripsim(folder)
    tyre = gripsim.Tyre.read(folder / "params.dat")
    expected_console = []
    counter = 0
    for key, lines in sections(folder / "run.ctl"):
        keyed = [line for line in lines if "=" in line]
        if key == "[SingleInput":
            point = operating_point(keyed[:5])
            Fx, Fy, Mz = tyre.evaluate(*point)
            assert (Fx, Fy, Mz) == tyre.evaluate_point(*point)
            patch = tyre.contact_patch(*point)
            expected_console.append(FORCES_LINE % (Fx, Fy, Mz))
            expected_console.append(AREA_LINE % (patch.area, patch.half_length, patch.half_width,
                                                 4.0 * patch.half_length * patch.half_width))
            last_single = point
        elif key == "[RangeInput":
            counter += 1
            points, file_name = int(value(keyed[0])), value(keyed[1])
            end, start = np.array(operating_point(keyed[2:7])), np.array(operating_point(keyed[7:12]))
            t = np.arange(points) / (points - 1) if points > 1 else np.zeros(1)
            inputs = start[:, None] + (end - start)[:, None] * t[None, :]
            Fx, Fy, Mz = tyre.evaluate(*inputs)
            # The batch path may be a vector kernel that rounds differently in
            # the last bits: 1e-12 relative, and 1e-9 N (N*mm) where a force is
            # a difference of terms near zero.
            scalar = np.array([tyre.evaluate_point(*inputs[:, k]) for k in range(points)]).T
            np.testing.assert_allclose(np.array([Fx, Fy, Mz]), scalar, rtol=1e-12, atol=1e-9)
            text = "".join(RANGE_LINE % (s, a, c, fx, fy, fz, mz)
                           for s, a, c, fz, _, fx, fy, mz in zip(*inputs, Fx, Fy, Mz))
            assert text == (folder / file_name).read_text()
        elif key == "[FileInput":
            counter += 1
            speed = float(re.search(r"speed\s*=\s*(\S+)", lines[0]).group(1))
            data = gripsim.read_measurements(folder / value(lines[0]))
            Fx, Fy, Mz = tyre.evaluate(data[:, 0], data[:, 1], data[:, 2], data[:, 5], speed)
            text = "".join(FILE_LINE % (m[0], m[1], m[2], m[5], speed, m[3], m[4], m[6], fx, fy, mz)
                           for m, fx, fy, mz in zip(data, Fx, Fy, Mz))
            assert text == (folder / f"TractalFinput{counter}.dat").read_text()
    assert "".join(expected_console) == stdout

    if tyre.model == 2:
        trace = tyre.trace(*last_single)
        blocks = []
        for column in np.unique(trace["column"]):
            rows = np.flatnonzero(trace["column"] == column)
            blocks.append("".join(TRACE_LINE % tuple(trace[c][k] for c in gripsim.TRACE_COLUMNS) for k in rows) + "\n")
        assert "".join(blocks) == (folder / "DiscreteOutput.dat").read_text()


@pytest.mark.parametrize("parameters", ["passenger.dat", "passenger_discrete.dat", "passenger_discrete_table.dat"])
def testEvaluateBroadcastsLikeNumpy(parameters):
    tyre = gripsim.Tyre.read(EXAMPLES / parameters)
    slip = np.linspace(-0.1, 0.1, 4)
    angle = np.array([[-3.0], [0.0], [5.0]])
    Fx, Fy, Mz = tyre.evaluate(slip, angle, 1.0, 4000.0, 20000.0)
    assert Fx.shape == Fy.shape == Mz.shape == (3, 4)
    # The batch path may round differently from the scalar one in the last bits.
    for i in range(3):
        for j in range(4):
            np.testing.assert_allclose((Fx[i, j], Fy[i, j], Mz[i, j]),
                                       tyre.evaluate_point(slip[j], angle[i, 0], 1.0, 4000.0, 20000.0),
                                       rtol=1e-12, atol=1e-9)
    out = tuple(np.full((3, 4), np.nan) for _ in range(3))
    returned = tyre.evaluate(slip, angle, 1.0, 4000.0, 20000.0, out=out)
    assert all(r is o for r, o in zip(returned, out))
    assert all(np.array_equal(o, f) for o, f in zip(out, (Fx, Fy, Mz)))
    scalar = tyre.evaluate(0.02, 1.0, 0.0, 4000.0, 20000.0)
    assert all(isinstance(f, float) for f in scalar)
    np.testing.assert_allclose(scalar, tyre.evaluate_point(0.02, 1.0, 0.0, 4000.0, 20000.0), rtol=1e-12, atol=1e-9)
    # Strided and integer input is taken as it is.
    wide = np.zeros((5, 2))
    wide[:, 0] = np.linspace(0, 0.05, 5)
    assert np.array_equal(tyre.evaluate(wide[:, 0], 0, 0, 4000, 20000)[0],
                          tyre.evaluate(np.linspace(0, 0.05, 5), 0.0, 0.0, 4000.0, 20000.0)[0])


def testParametersRoundTripThroughMappingFileAndPickle(tmp_path):
    tyre = gripsim.Tyre.read(EXAMPLES / "passenger_discrete.dat")
    again = gripsim.Tyre(tyre.parameters, model=2)
    assert again == tyre
    assert gripsim.Tyre.from_parameters(tyre.parameters, model=tyre.model) == tyre
    tyre.write(tmp_path / "a.dat")
    gripsim.Tyre.read(tmp_path / "a.dat").write(tmp_path / "b.dat")
    assert (tmp_path / "a.dat").read_bytes() == (tmp_path / "b.dat").read_bytes()
    assert gripsim.Tyre.read(tmp_path / "a.dat") == tyre
    copy = pickle.loads(pickle.dumps(tyre))
    assert copy == tyre and copy.model == 2
    assert copy.evaluate(0.03, 2.0, 0.0, 3000.0, 10000.0) == tyre.evaluate(0.03, 2.0, 0.0, 3000.0, 10000.0)


def testSettingAParameterSetsTheModelUpAgain():
    tyre = gripsim.Tyre.read(EXAMPLES / "passenger.dat")
    before = tyre.evaluate(0.0, 2.0, 0.0, 4000.0, 20000.0)[1]
    tyre["cy0"] = tyre["cy0"] * 2.0
    after = tyre.evaluate(0.0, 2.0, 0.0, 4000.0, 20000.0)[1]
    # A stiffer tread gives more lateral force at a small slip angle.
    assert abs(after) > abs(before)
    assert tyre.parameters["cy0"] == tyre["cy0"]


def testDiscreteTyreGivesTraceAndPatch():
    tyre = gripsim.Tyre.read(EXAMPLES / "passenger_discrete.dat")
    trace = tyre.trace(0.02, 2.0, 0.0, 4000.0, 20000.0)
    n = len(trace["x"])
    columns = len(np.unique(trace["column"]))
    assert n == columns * (int(tyre["ni"]) + 1) == (int(tyre["nj"]) + 1) * (int(tyre["ni"]) + 1)
    patch = tyre.contact_patch(0.02, 2.0, 0.0, 4000.0, 20000.0)
    assert patch.half_length == pytest.approx(np.abs(trace["x"]).max())
    assert 0.0 < patch.area <= 4.0 * patch.half_length * patch.half_width * 1.0000001
    # The trace gives the point forces at full precision: they add up to Fx
    # within the roundings of some 400 sums taken in another order.
    Fx = tyre.evaluate(0.02, 2.0, 0.0, 4000.0, 20000.0)[0]
    assert trace["fx"].sum() == pytest.approx(Fx, rel=1e-12)


def testTyreTakesTurnsBetweenThreads():
    tyre = gripsim.Tyre.read(EXAMPLES / "passenger_discrete.dat")
    slip = np.linspace(-0.2, 0.2, 2000)
    expected = tyre.evaluate(slip, 1.0, 0.0, 4000.0, 20000.0)
    results = [None] * 4

    def work(k):
        results[k] = tyre.evaluate(slip, 1.0, 0.0, 4000.0, 20000.0)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for result in results:
        assert all(np.array_equal(a, b) for a, b in zip(result, expected))


BROKEN_LINE = " cx1      = [1/mm^3]\n"


def broken_file(tmp_path):
    lines = (EXAMPLES / "passenger.dat").read_text().splitlines(keepends=True)
    lines = [BROKEN_LINE if line.lstrip().startswith("cx1 ") else line for line in lines]
    path = tmp_path / "broken.dat"
    path.write_text("".join(lines))
    return path


@pytest.mark.parametrize("action, exception, words", [
    (lambda tmp: gripsim.Tyre.read(tmp / "missing.dat"), FileNotFoundError, "missing.dat"),
    (lambda tmp: gripsim.Tyre.read(broken_file(tmp)), ValueError, "line 3 of"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat")["cxx"], KeyError, "unknown parameter name 'cxx'"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat").__setitem__("nope", 1.0), KeyError, "nope"),
    (lambda tmp: gripsim.Tyre({"cx0": 1.0}), ValueError, "parameters missing: cx1"),
    (lambda tmp: gripsim.Tyre({**gripsim.Tyre.read(EXAMPLES / "passenger.dat").parameters, "bad": 1}), ValueError,
     "unknown parameter names bad"),
    (lambda tmp: gripsim.Tyre(gripsim.Tyre.read(EXAMPLES / "passenger.dat").parameters, model=3), ValueError,
     "model should be 1 (continuous) or 2 (discrete), not 3"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger_discrete.dat").__setitem__("ni", 0), ValueError,
     "not accepted by model 2"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat").evaluate(np.zeros(3), np.zeros(4), 0, 1, 1), ValueError,
     "does not broadcast"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat").evaluate("a", 0, 0, 1, 1), ValueError, "numbers"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat").evaluate(np.zeros(3), 0, 0, 1, 1, out=[np.zeros(3)] * 2),
     ValueError, "2 arrays given"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat").evaluate(np.zeros(3), 0, 0, 1, 1,
                                                                     out=[np.zeros(3), np.zeros(3), np.zeros(4)]),
     ValueError, "of the broadcast shape (3,)"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat").evaluate(np.zeros(3), 0, 0, 1, 1,
                                                                     out=[np.zeros(3), np.zeros(3, np.float32),
                                                                          np.zeros(3)]),
     ValueError, "float32"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat").trace(0, 0, 0, 1, 1), ValueError, "discrete model"),
    (lambda tmp: gripsim.Tyre.read(EXAMPLES / "passenger.dat").write(tmp / "no" / "such" / "x.dat"), OSError,
     "could not be written"),
])
def testBadInputRaisesClearly(tmp_path, action, exception, words):
    with pytest.raises(exception) as raised:
        action(tmp_path)
    assert words in str(raised.value)


def testRejectedParameterLeavesTheTyreAsItWas():
    tyre = gripsim.Tyre.read(EXAMPLES / "passenger_discrete.dat")
    before = tyre.parameters
    with pytest.raises(ValueError):
        tyre["ni"] = 0
    assert tyre.parameters == before


PASSENGER = EXAMPLES / "passenger.dat"
DISCRETE = EXAMPLES / "passenger_discrete.dat"


@pytest.mark.parametrize("path, name, value, words", [
    (PASSENGER, "cx0", float("nan"), "parameter cx0 = nan is not a finite number"),
    (PASSENGER, "cy0", float("inf"), "parameter cy0 = inf is not a finite number"),
    (PASSENGER, "mue0", -float("inf"), "parameter mue0 = -inf is not a finite number"),
    (PASSENGER, "cx0", None, "parameter cx0 = None is not a number"),
    (DISCRETE, "ni", 2.5, "parameter ni = 2.5 should be a whole number (a count or a switch)"),
    (DISCRETE, "nj", 10.25, "parameter nj = 10.25 should be a whole number (a count or a switch)"),
    (DISCRETE, "ny", 3.5, "parameter ny = 3.5 should be a whole number (a count or a switch)"),
    (DISCRETE, "sliding", 0.5, "parameter sliding = 0.5 should be a whole number (a count or a switch)"),
    (DISCRETE, "pressure", 1.5, "parameter pressure = 1.5 should be a whole number (a count or a switch)"),
    (DISCRETE, "draw3d", 0.1, "parameter draw3d = 0.1 should be a whole number (a count or a switch)"),
])
def testParameterThatAFileCouldNotHoldIsRefusedAndLeavesTheTyre(path, name, value, words):
    tyre = gripsim.Tyre.read(path)
    before = tyre.parameters
    with pytest.raises(ValueError) as raised:
        tyre[name] = value
    assert str(raised.value) == words
    assert tyre.parameters == before
    # The same value in a whole parameter set is refused alike.
    with pytest.raises(ValueError) as raised:
        gripsim.Tyre({**before, name: value}, model=tyre.model)
    assert str(raised.value) == words


@pytest.mark.parametrize("model, words", [
    (float("nan"), "not nan"), (1.5, "not 1.5"), (3, "not 3"), (0, "not 0"), (None, "not None"), ("two", "not 'two'"),
])
def testModelNumberOtherThanOneOrTwoIsRefused(model, words):
    with pytest.raises(ValueError) as raised:
        gripsim.Tyre(gripsim.Tyre.read(PASSENGER).parameters, model=model)
    assert str(raised.value) == "model should be 1 (continuous) or 2 (discrete), " + words
    with pytest.raises(ValueError) as raised:
        gripsim.parameter_table(model)
    assert str(raised.value) == "model should be 1 (continuous) or 2 (discrete), " + words


NAN = float("nan")


@pytest.mark.parametrize("model, name, row", [
    # name: unit, magnitude, whole_number, fixed_at_set_up, read, lower, upper
    (1, "cx0", ("N/mm^3", False, False, False, True, 0.02, 0.2)),
    (1, "sy0", ("deg", False, False, False, True, -1.0, 1.0)),
    (1, "mue0", ("-", True, False, False, True, 0.6, 1.6)),
    (1, "muexy", ("-", False, False, False, False, NAN, NAN)),  # the discrete friction law's alone
    (1, "ni", ("-", False, True, False, False, NAN, NAN)),
    (2, "ni", ("-", False, True, True, True, NAN, NAN)),  # sizes the grid at set-up
    (2, "ny", ("-", False, True, False, True, NAN, NAN)),
    (2, "Vmuexy", ("-", True, False, False, True, NAN, NAN)),
    (2, "cmuexp", ("mm/s", True, False, False, True, 300.0, 20000.0)),
    (2, "mueFz", ("1/N", False, False, False, True, -1.5e-4, 1.5e-4)),
    (2, "draw3d", ("-", False, True, False, False, NAN, NAN)),
])
def testParameterTableGivesWhatEachModelMakesOfAParameter(model, name, row):
    table = gripsim.parameter_table(model)
    assert list(table.columns) == ["name", "unit", "magnitude", "whole_number", "fixed_at_set_up", "read", "lower",
                                   "upper"]
    assert tuple(table["name"]) == gripsim.PARAMETER_NAMES
    found = table[table["name"] == name].iloc[0]
    assert (found["unit"], *map(bool, found[["magnitude", "whole_number", "fixed_at_set_up", "read"]])) == row[:5]
    np.testing.assert_array_equal(found[["lower", "upper"]].to_numpy(float), row[5:])
    # The counts and switches of either model are whole numbers in a file.
    whole = set(table.loc[table["whole_number"], "name"])
    assert whole <= set(gripsim.WHOLE_NUMBER_PARAMETERS) and len(gripsim.WHOLE_NUMBER_PARAMETERS) == 6


@pytest.mark.parametrize("position", range(5))
@pytest.mark.parametrize("bad, held", [(None, "None"), ([0.0, None], "object values"), ("a", "<U1 values"),
                                       (1j, "complex128 values")])
def testOperatingPointThatHoldsNoNumbersIsRefused(position, bad, held):
    tyre = gripsim.Tyre.read(PASSENGER)
    point = [0.0, 1.0, 0.0, 4000.0, 20000.0]
    point[position] = bad
    name = ("slip", "slip_angle", "camber", "load", "speed")[position]
    with pytest.raises(ValueError) as raised:
        tyre.evaluate(*point)
    assert str(raised.value) == f"the operating point should hold numbers: {name} holds {held}"
    if bad is None:
        with pytest.raises(ValueError, match=f"{name} holds None"):
            tyre.evaluate_point(*point)
        with pytest.raises(ValueError, match=f"{name} holds None"):
            tyre.contact_patch(*point)


def out_arrays(kind):
    base = np.zeros(9)
    return {
        "same": (base[:3],) * 3,
        "first twice": (base[:3], base[:3], base[3:6]),
        "overlapping views": (base[:3], base[2:5], base[6:9]),
    }[kind]


@pytest.mark.parametrize("kind, first, second", [("same", 0, 1), ("first twice", 0, 1), ("overlapping views", 0, 1)])
def testOutArraysThatShareMemoryAreRefused(kind, first, second):
    tyre = gripsim.Tyre.read(PASSENGER)
    with pytest.raises(ValueError) as raised:
        tyre.evaluate(np.zeros(3), 0.0, 0.0, 4000.0, 20000.0, out=out_arrays(kind))
    assert str(raised.value) == f"out[{first}] and out[{second}] share memory: give three separate arrays"


def testReadOnlyOutArrayIsRefused():
    frozen = np.zeros(3)
    frozen.flags.writeable = False
    with pytest.raises(ValueError, match=r"read-only"):
        gripsim.Tyre.read(PASSENGER).evaluate(np.zeros(3), 0, 0, 4000, 20000, out=(np.zeros(3), np.zeros(3), frozen))


def testReadingAFolderSaysItIsAFolder(tmp_path):
    with pytest.raises(IsADirectoryError) as raised:
        gripsim.Tyre.read(tmp_path)
    assert str(raised.value) == f"[Errno 21] {tmp_path} is a folder, not a file: '{tmp_path}'"


def testTyreIsAMappingOfItsParameters():
    tyre = gripsim.Tyre.read(DISCRETE)
    assert dict(tyre) == tyre.parameters
    assert list(tyre.keys()) == list(tyre) == list(gripsim.PARAMETER_NAMES) and len(tyre) == 33
    assert dict(tyre.items())["ni"] == tyre["ni"] and list(tyre.values()) == list(tyre.parameters.values())
    assert "cx0" in tyre and "nope" not in tyre and 5 not in tyre
    assert tyre.get("nope", -1.0) == -1.0
    assert repr(tyre) == (f"gripsim.Tyre(model=2 (discrete), cx0={tyre['cx0']!r}, cy0={tyre['cy0']!r}, "
                          f"mue0={tyre['mue0']!r}, R={tyre['R']!r}, ni={tyre['ni']!r}, nj={tyre['nj']!r}, "
                          "... 33 parameters)")


def testVersionIsTheProjectsAndThePackageIsTyped():
    project = re.search(r"^project\(gripsim VERSION ([0-9.]+)", (ROOT / "CMakeLists.txt").read_text(), re.MULTILINE)
    assert gripsim.__version__ == project.group(1)
    assert (pathlib.Path(gripsim.__file__).parent / "py.typed").is_file()


@pytest.mark.parametrize("model", [float("nan"), float("inf"), -1e300, 1e300])
def testCompiledSetUpRefusesAModelNumberBeyondIntWithoutUndefinedConversion(model):
    # Past the Python checks (pickles and results go this way): the compiled
    # set-up converts as a parameter file's model number is converted.
    parameters = list(gripsim.Tyre.read(PASSENGER).parameters.values())
    with pytest.raises(ValueError, match="model should be 1 .continuous. or 2 .discrete., not"):
        gripsim._gripsim.TyreCore().set_up(parameters, model)
    start = (parameters, model, [(gripsim.PARAMETER_NAMES.index("cy0"), 0.01, 0.1)])
    with pytest.raises(ValueError, match="model should be 1 .continuous. or 2 .discrete., not"):
        gripsim._gripsim.DesignCore(start, [("t", np.ones((1, 7)), 1, 0.0)])


@pytest.mark.parametrize("name, index", [("cx0", 0), ("mue1xp", 10), ("mue1", 10), ("mue6", 15), ("frica1", 17),
                                         ("draw3d", 32)])
def testParameterIndexTakesTheCommonAndTheSpeedTableNames(name, index):
    assert gripsim.tyre.parameter_index(name) == index
