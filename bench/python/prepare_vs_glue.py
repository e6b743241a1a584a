#!/usr/bin/python3
"""gripfit prepare measured against careful hand glue on flat-track runs.

For each seed it makes the four runs of examples/rig/consortium.py, then
fits the continuous model to them by two routes:

  prepare  gripfit prepare --convention sae --tyre 205/60R15, then gripfit;
  glue     this script's own preparation with numpy and pandas, written
           the way an engineer would by hand (it shares no code with the
           rig readers or gripfit prepare), then gripfit;

and prints both targets, the sweeps each route found and kept, and the
times. Each route is fitted with fixed search options (--method,
--starts, --fit-seed, so that the two are comparable whatever the
defaults of the day), with gripfit's own defaults, and as the best of
--fit-seeds search seeds from its own DesignStart.dat and from the glue's:
a single fit may end in either of two minima, the best of a few does not,
and the glue's start tells the data apart from the start values.

    /usr/bin/python3 bench/python/prepare_vs_glue.py [--seeds 1 2 3] [--build build/ci]

The glue: read each CSV with its "NAME [unit]" header, convert to our
units (mm/s, N, N*mm, mm, N/mm^2) and axes (from SAE J670: slip angle, Fz
and Mz change sign), split the run where the load setting changes (the
test plan's 2, 4 and 6 kN), drop the warm-up and the load ramps, keep of
each steady piece the samples from the slip's leaving zero to its return,
bin them by the slip (0.5 deg, 0.005) averaging the rising and the
falling passes apart and then together, and write one measurement file
per sweep, DesignTarget.dat (the camber-free sweeps) and DesignStart.dat:
the typical passenger tyre of examples/fit/passenger with R from the size,
cR from the loaded radius over the load, Fzbar the mean load of the
sweeps, and the continuous model's recommended design variables.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time

import numpy as np
import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
TYRE_SIZE = "205/60R15"
PLAN_LOADS = np.array([2000.0, 4000.0, 6000.0])  # the test plan's load steps [N]

# Unit factors to ours: s, mm/s, rpm, deg, -, N/mm^2, N, N*mm, mm, degC.
TO_OURS = {"s": 1.0, "km/h": 1e6 / 3600.0, "rpm": 1.0, "deg": 1.0, "-": 1.0, "kPa": 1e-3, "N": 1.0,
           "Nm": 1e3, "cm": 10.0, "degC": 1.0}
# SAE J670 to ours: y and z point the other way.
SAE_SIGN = {"SA": -1.0, "FZ": -1.0, "MZ": -1.0}


# ----------------------------------------------------------------------------- the glue

def read_run(path):
    """One run as a DataFrame of ours, columns named without units."""
    frame = pd.read_csv(path, skiprows=1)
    out = {}
    for column in frame.columns:
        m = re.fullmatch(r"\s*(\w+)\s*\[(.*)\]\s*", column)
        if m is None:
            raise ValueError(f"{path}: column {column!r} has no unit")
        name, unit = m.group(1), m.group(2).strip()
        if unit not in TO_OURS:
            raise ValueError(f"{path}: unit {unit!r} of {name} is not known")
        out[name] = frame[column].to_numpy(dtype=float) * TO_OURS[unit] * SAE_SIGN.get(name, 1.0)
    return pd.DataFrame(out)


def steady_pieces(run, settle=0.5):
    """(begin, end) sample ranges where the load holds one step of the plan.

    The load setting is the plan's step nearest the load smoothed over
    0.3 s; a piece is where it stays within 8 % of it, less `settle` seconds
    at each end for the servo."""
    smooth = run["FZ"].rolling(31, center=True, min_periods=1).median().to_numpy()
    step = PLAN_LOADS[np.abs(smooth[:, None] - PLAN_LOADS[None, :]).argmin(axis=1)]
    near = np.abs(smooth - step) < 0.08 * step
    label = np.where(near, step, np.nan)
    pieces = []
    i, n = 0, len(label)
    margin = int(round(settle / np.median(np.diff(run["ET"]))))
    while i < n:
        if np.isnan(label[i]):
            i += 1
            continue
        j = i
        while j < n and label[j] == label[i]:
            j += 1
        if j - i > 2 * margin:
            pieces.append((i + margin, j - margin))
        i = j
    return pieces


def sweep_samples(slip, begin, end, zero):
    """The samples of a piece from the slip's leaving zero to its return:
    (first, last + 1), or None for a piece where the slip holds."""
    moving = np.flatnonzero(np.abs(slip[begin:end]) > zero)
    if moving.size == 0:
        return None
    return begin + max(moving[0] - 1, 0), begin + moving[-1] + 2


def bin_sweep(part, slip_name, width):
    """Binned points of one sweep 0 -> low -> high -> 0: the falling passes
    (to the low end and back from the high end) and the rising pass averaged
    apart, then the two together; bins passed one way only are left out."""
    slip = part[slip_name].to_numpy()
    low, high = int(np.argmin(slip)), int(np.argmax(slip))
    rising = np.zeros(len(slip), dtype=bool)
    rising[low:high + 1] = True
    columns = ["SL", "SA", "IA", "FX", "FY", "FZ", "MZ"]
    frame = part[columns].copy()
    frame["bin"] = np.round(slip / width).astype(int)
    frame["rising"] = rising
    passes = frame.groupby(["bin", "rising"])[columns].mean()
    both = passes.groupby(level="bin").filter(lambda g: len(g) == 2)
    return both.groupby(level="bin").mean()[columns].to_numpy()


def glue(run_files, folder):
    """The design files of a continuous fit, by hand; returns the sweeps
    found and kept."""
    os.makedirs(folder, exist_ok=True)
    sweeps = []
    loads, radii = [], []
    for path in run_files:
        run = read_run(path)
        loaded = run["FZ"] > 100.0
        loads.append(run["FZ"][loaded].to_numpy()), radii.append(run["RL"][loaded].to_numpy())
        for begin, end in steady_pieces(run):
            for slip_name, zero, width, tag in (("SA", 0.25, 0.5, "fy"), ("SL", 0.0025, 0.005, "fx")):
                span = sweep_samples(run[slip_name].to_numpy(), begin, end, zero)
                if span is None or np.ptp(run[slip_name].to_numpy()[span[0]:span[1]]) < 8 * width:
                    continue
                part = run.iloc[span[0]:span[1]]
                points = bin_sweep(part, slip_name, width)
                load, camber = part["FZ"].mean(), part["IA"].mean()
                name = "%s_%.0f_%.0f.dat" % (tag, round(load, -2), round(camber * 2) / 2)
                sweeps.append(dict(name=name, points=points, load=load, camber=camber, speed=part["V"].mean(),
                                   direction=3 if tag == "fy" else 1))
    for s in sweeps:
        with open(os.path.join(folder, s["name"]), "w") as f:
            for row in s["points"]:
                f.write(" ".join("%+.6e" % x for x in row) + "\n")
    kept = [s for s in sweeps if abs(s["camber"]) < 0.5]  # the continuous model has no camber thrust
    with open(os.path.join(folder, "DesignTarget.dat"), "w") as f:
        f.write("flat-track sweeps glued by hand\n number of files = %d\n" % len(kept))
        for s in kept:
            f.write(" file = %-20s points = %3d direction = %d speed = %.0f\n"
                    % (s["name"], len(s["points"]), s["direction"], s["speed"]))
        f.write("[Eof]\n")
    # The loaded radius falls with the load by 1/cR.
    slope = np.polyfit(np.concatenate(loads), np.concatenate(radii), 1)[0]
    width, aspect, rim = (float(x) for x in re.fullmatch(r"(\d+)/(\d+)R(\d+)", TYRE_SIZE).groups())
    values = {"R": rim * 25.4 / 2 + width * aspect / 100.0, "cR": -1.0 / slope,
              "Fzbar": round(float(np.mean([s["load"] for s in kept])))}
    write_design_start(os.path.join(folder, "DesignStart.dat"), values)
    return sweeps, kept


def write_design_start(path, values):
    """examples/fit/passenger's tyre with values in place, the continuous
    model's recommended design variables and their bounds."""
    import gripsim
    tyre = gripsim.Tyre.read(os.path.join(SOURCE, "examples", "fit", "passenger", "DesignStart.dat"))
    for name, value in values.items():
        tyre[name] = value
    table = gripsim.parameter_table(model=1).set_index("name")
    plain = path + ".plain"
    tyre.write(plain)
    with open(plain) as f:
        lines = f.read().splitlines()
    os.remove(plain)
    with open(path, "w") as f:
        for line in lines:
            m = re.match(r"\s(\w+)\s+=", line)
            if m and m.group(1) in table.index and not np.isnan(table.at[m.group(1), "lower"]):
                line += " designbounds  %+12.6e %+12.6e" % (table.at[m.group(1), "lower"],
                                                          table.at[m.group(1), "upper"])
            f.write(line + "\n")


# ----------------------------------------------------------------------------- the comparison

def fit(gripfit, folder, options):
    """gripfit in folder; its target [%] and its seconds."""
    start = time.perf_counter()
    subprocess.run([gripfit, "--quiet"] + options, cwd=folder, check=True, stdout=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    with open(os.path.join(folder, "FitReport.json")) as f:
        report = json.load(f)
    return report["target"], seconds


def target_files(folder):
    with open(os.path.join(folder, "DesignTarget.dat")) as f:
        return re.findall(r"file = (\S+)\s+points =\s*(\d+)", f.read())


def best_of(gripfit, folder, options, seeds, start=None):
    """The best target [%] of fits with several search seeds (in a copy of
    folder, with another DesignStart.dat when start is given)."""
    copy = folder + ".again"
    shutil.rmtree(copy, ignore_errors=True)
    shutil.copytree(folder, copy)
    if start is not None:
        shutil.copy(start, os.path.join(copy, "DesignStart.dat"))
    return min(fit(gripfit, copy, options + ["--seed", str(s), "--max-evals", "1000000"])[0] for s in seeds)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seeds", type=int, nargs="+", default=[1, 2, 3])
    parser.add_argument("--build", default=os.path.join(SOURCE, "build", "ci"))
    parser.add_argument("--work", default=os.path.join(SOURCE, "build", "prepare-vs-glue"))
    parser.add_argument("--method", default="slsqp")
    parser.add_argument("--starts", type=int, default=8)
    parser.add_argument("--fit-seed", type=int, default=1)
    parser.add_argument("--fit-seeds", type=int, default=4, help="search seeds of the best-of columns")
    args = parser.parse_args()
    gripfit = os.path.join(args.build, "fitter", "gripfit")
    sys.path.insert(0, os.path.join(args.build, "python"))
    fixed = ["--method", args.method, "--starts", str(args.starts)]
    seeds = range(1, args.fit_seeds + 1)
    print("targets [%%]: fixed = %s, %d starts, search seed %d; defaults = gripfit's own; best = the best of "
          "search seeds 1 to %d (fixed, budget 1e6); own start / glue start = the route's DesignStart.dat or "
          "the glue's" % (args.method, args.starts, args.fit_seed, args.fit_seeds))
    print("seed  route    sweeps found/fitted  points  prepare [s]     fixed  fit [s]  defaults  fit [s]  "
          "best own start  best glue start")
    for seed in args.seeds:
        work = os.path.join(args.work, "seed%d" % seed)
        shutil.rmtree(work, ignore_errors=True)
        runs = os.path.join(work, "runs")
        subprocess.run([sys.executable, os.path.join(SOURCE, "examples", "rig", "consortium.py"), "--seed",
                        str(seed), runs], check=True)
        files = sorted(os.path.join(runs, f) for f in os.listdir(runs))
        rows = []
        for route in ("glue", "prepare"):
            folder = os.path.join(work, route)
            start = time.perf_counter()
            if route == "prepare":
                subprocess.run([gripfit, "prepare", "--convention", "sae", "--tyre", TYRE_SIZE, "--out", folder]
                               + files, check=True, stdout=subprocess.DEVNULL)
                found = len([f for f in os.listdir(folder) if f.startswith(("fx_", "fy_"))])
            else:
                found = len(glue(files, folder)[0])
            prepared = time.perf_counter() - start
            kept = target_files(folder)
            fixed_fit = fit(gripfit, folder, fixed + ["--seed", str(args.fit_seed)])
            default_fit = fit(gripfit, folder, [])
            best_own = best_of(gripfit, folder, fixed, seeds)
            best_glue = best_of(gripfit, folder, fixed, seeds, os.path.join(work, "glue", "DesignStart.dat"))
            rows.append((fixed_fit[0], default_fit[0], best_own, best_glue))
            print("%4d  %-7s  %5d/%-13d  %6d  %11.2f  %8.4f  %7.2f  %8.4f  %7.2f  %14.4f  %15.4f"
                  % (seed, route, found, len(kept), sum(int(n) for _, n in kept), prepared, fixed_fit[0],
                     fixed_fit[1], default_fit[0], default_fit[1], best_own, best_glue))
        glue_row, prepare_row = rows
        print("%4d  prepare - glue [%%-points]:           %+8.4f           %+8.4f           %+14.4f  %+15.4f"
              % ((seed,) + tuple(p - g for p, g in zip(prepare_row, glue_row))))


if __name__ == "__main__":
    main()
