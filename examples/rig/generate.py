#!/usr/bin/python3
"""Rig runs of a made-up tyre, written in the formats the rig readers take.

The tyre follows an empirical formula of its own (saturating stiffness, a
pneumatic trail that falls to zero as the patch slides, camber thrust), not
the brush models of this project. The run, at 100 Hz: a warm-up, slip-angle
sweeps 0 -> -12 -> +12 -> 0 deg at several loads and cambers joined by load
transitions, and a slip-ratio run; the forces lag behind the slip by a
relaxation length, friction drifts slowly down as the tread warms, and every
force carries noise of about 1 % of the load.

The physics is worked out in ISO 8855 axes (x forward, y left, z up; angles
about those axes), then written in ISO axes and in SAE J670 axes (x forward,
y right, z down), whose values follow from turning y and z round: slip angle,
Fy, Fz and Mz change sign, slip ratio, camber, Fx and Mx do not.

    /usr/bin/python3 examples/rig/generate.py [--full] [OUTDIR]

The default (small) run is the one bundled in examples/rig; --full gives
longer, slower sweeps at more loads and cambers.
"""

import argparse
import os

import numpy as np
import scipy.io

RATE = 100.0  # samples per second [Hz]
SPEED = 40.0  # travel speed [km/h]
FREE_RADIUS = 0.316  # [m]
RADIAL_STIFFNESS = 220.0e3  # [N/m]
RELAXATION_LENGTH = 0.45  # [m]


def schedule(full):
    """Slip angle [deg], camber [deg], slip ratio [-], load [N] against time."""
    loads = [2000.0, 4000.0, 6000.0] if full else [3000.0, 5000.0]
    cambers = [0.0, 2.0, -2.0] if full else [0.0, 3.0]
    rate = 4.0 if full else 24.0  # sweep rate [deg/s]
    segments = []  # (slip angle, camber, slip ratio, load) arrays

    def hold(seconds, alpha, gamma, kappa, load):
        n = int(round(seconds * RATE))
        segments.append((np.full(n, alpha), np.full(n, gamma), np.full(n, kappa), np.full(n, load)))

    def ramp(seconds, start, end):
        n = int(round(seconds * RATE))
        return np.linspace(start, end, n, endpoint=False)

    def move_load(seconds, gamma, start, end):
        n = int(round(seconds * RATE))
        segments.append((np.zeros(n), np.full(n, gamma), np.zeros(n), ramp(seconds, start, end)))

    def sweep(gamma, load):
        path = np.concatenate([ramp(12.0 / rate, 0.0, -12.0), ramp(24.0 / rate, -12.0, 12.0),
                               ramp(12.0 / rate, 12.0, 0.0)])
        n = path.size
        segments.append((path, np.full(n, gamma), np.zeros(n), np.full(n, load)))

    hold(10.0 if full else 0.5, 0.0, 0.0, 0.0, loads[0])  # warm-up
    previous = loads[0]
    for gamma in cambers:
        for load in loads:
            if load != previous:
                move_load(1.0 if full else 0.5, gamma, previous, load)
                previous = load
            hold(0.2, 0.0, gamma, 0.0, load)
            sweep(gamma, load)
    # Slip-ratio run at the last load, no slip angle: 0 -> -0.15 -> +0.15 -> 0.
    kappa_rate = 0.05 if full else 0.4  # [1/s]
    kappa = np.concatenate([ramp(0.15 / kappa_rate, 0.0, -0.15), ramp(0.3 / kappa_rate, -0.15, 0.15),
                            ramp(0.15 / kappa_rate, 0.15, 0.0)])
    n = kappa.size
    segments.append((np.zeros(n), np.zeros(n), kappa, np.full(n, previous)))
    return [np.concatenate([p[k] for p in segments]) for k in range(4)]


def tyre(alpha_iso, gamma, kappa, load, mu):
    """Steady forces in ISO axes: Fx, Fy, Fz [N], Mx, Mz [N*m].

    A positive ISO slip angle (the wheel centre moving to the left of the
    heading) drags the patch to the right: Fy < 0, and the aligning moment
    turns the wheel towards its path, to the left: Mz > 0. A positive ISO
    camber (the top of the wheel leaning to the right) pushes it to the
    right, towards the lean: Fy < 0.
    """
    a = np.radians(alpha_iso)
    cornering = 18.0 * load * (1.0 - load / 16000.0)  # [N/rad]
    limit = mu * load
    use = np.tanh(cornering * np.tan(a) / limit)
    fy = -limit * use - 55.0 * gamma * load / 4000.0
    trail = 0.035 * np.sqrt(load / 4000.0) * (1.0 - np.abs(use)) ** 2  # [m]
    mz = trail * limit * use  # trail times the slip share of Fy, with the sign of the slip angle
    fx = 1.05 * mu * load * np.tanh(16.0 * kappa / (1.05 * mu))
    mx = -0.02 * fy
    return fx, fy, load, mx, mz


def lagged(values, dt, tau):
    """First-order lag of a series: the relaxation of the tread."""
    out = np.empty_like(values)
    state = values[0]
    k = dt / (tau + dt)
    for i, v in enumerate(values):
        state += k * (v - state)
        out[i] = state
    return out


def run(full):
    alpha_iso, gamma, kappa, load = schedule(full)
    n = alpha_iso.size
    t = np.arange(n) / RATE
    rng = np.random.default_rng(20260417)
    v = SPEED / 3.6  # [m/s]
    mu = 1.05 - 0.06 * t / t[-1]  # the tread warms: friction drifts down
    fx, fy, fz, mx, mz = tyre(alpha_iso, gamma, kappa, load, mu)
    tau = RELAXATION_LENGTH / v
    fx, fy, mz = (lagged(x, 1.0 / RATE, tau) for x in (fx, fy, mz))
    noise = 0.01 * load
    fx = fx + rng.normal(0.0, 1.0, n) * noise
    fy = fy + rng.normal(0.0, 1.0, n) * noise
    fz = fz + rng.normal(0.0, 1.0, n) * noise
    mz = mz + rng.normal(0.0, 1.0, n) * noise * 0.002
    mx = mx + rng.normal(0.0, 1.0, n) * noise * 0.002
    rl = FREE_RADIUS - load / RADIAL_STIFFNESS
    re = FREE_RADIUS - load / (3.0 * RADIAL_STIFFNESS)
    spin = v * (1.0 + kappa) / re * 60.0 / (2.0 * np.pi)  # [rpm]
    return {
        "t": t, "v": SPEED + rng.normal(0.0, 0.05, n), "rpm": spin, "alpha": alpha_iso, "gamma": gamma,
        "kappa": kappa, "p": 220.0 + rng.normal(0.0, 0.3, n), "fx": fx, "fy": fy, "fz": fz, "mx": mx, "mz": mz,
        "rl": rl * 100.0, "re": re * 100.0, "temp": 30.0 + 20.0 * (1.0 - np.exp(-t / 20.0)),
    }


# Channel name, unit, key of run(), sign in SAE axes against ISO.
CONSORTIUM = [
    ("ET", "s", "t", 1), ("V", "kph", "v", 1), ("N", "rpm", "rpm", 1), ("SA", "deg", "alpha", -1),
    ("IA", "deg", "gamma", 1), ("SL", "none", "kappa", 1), ("P", "kPa", "p", 1), ("FX", "N", "fx", 1),
    ("FY", "N", "fy", -1), ("FZ", "N", "fz", -1), ("MX", "N-m", "mx", 1), ("MZ", "N-m", "mz", -1),
    ("RL", "cm", "rl", 1), ("RE", "cm", "re", 1), ("TSTC", "degC", "temp", 1),
]
TYDEX = [
    ("RUNTIME", "Time", "s", "t"), ("LONGVEL", "Longitudinal velocity", "km/h", "v"),
    ("SLIPANGL", "Slip angle", "deg", "alpha"), ("INCLANGL", "Inclination angle", "deg", "gamma"),
    ("LONGSLIP", "Longitudinal slip", "1", "kappa"), ("FX", "Longitudinal force", "N", "fx"),
    ("FYW", "Lateral force", "N", "fy"), ("FZW", "Vertical force", "N", "fz"),
    ("MXW", "Overturning moment", "Nm", "mx"), ("MZW", "Aligning moment", "Nm", "mz"),
]


def number(x):
    return "%.6g" % x  # the C locale's format: Python's % does not follow LC_NUMERIC


def columns(data, sae):
    return [data[key] * (sign if sae else 1) for _, _, key, sign in CONSORTIUM]


def write_text(path, header_lines, cols, separator):
    with open(path, "w", newline="\n") as f:
        for line in header_lines:
            f.write(line + "\n")
        for row in zip(*cols):
            f.write(separator.join(number(x) for x in row) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir", nargs="?", default=os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--full", action="store_true", help="the long run (some MB), not the bundled one")
    args = parser.parse_args()
    data = run(args.full)
    out = args.outdir
    os.makedirs(out, exist_ok=True)
    title = "Generated rig run: cornering sweeps at %s, slip-ratio run" % ("three loads" if args.full else "two loads")

    # Consortium layout in SAE axes: a description, names row, units row, blanks between.
    write_text(os.path.join(out, "run_sae.dat"),
               [title + " (SAE J670 axes)", " ".join(c[0] for c in CONSORTIUM), " ".join(c[1] for c in CONSORTIUM)],
               columns(data, True), " ")
    # The same channels in ISO axes, comma separated, "NAME [unit]".
    write_text(os.path.join(out, "run_iso.csv"),
               ["# " + title + " (ISO 8855 axes)", ",".join("%s [%s]" % (c[0], c[1]) for c in CONSORTIUM)],
               columns(data, False), ",")
    # TYDEX in its W-axis system (ISO); the load as stored numbers of 0.1 N.
    with open(os.path.join(out, "run.tdx"), "w", newline="\n") as f:
        f.write("**HEADER\n%-10s%-40s%s\n%-10s%-40s%s\n" % ("RELEASE", "Release of TYDEX-Format", "1.3",
                                                            "MEASID", "Measurement ID", "generated"))
        f.write("**COMMENTS\n%s\n" % title)
        f.write("**CONSTANTS\n%-10s%-30s%-10s%s\n" % ("NOMPRES", "Nominal pressure", "kPa", "220"))
        f.write("**MEASURCHANNELS\n")
        for name, description, unit, key in TYDEX:
            factor = "0.1" if key == "fz" else "1"
            f.write("%-10s%-30s%-10s%-10s%-10s%s\n" % (name, description, unit, factor, "0", "0"))
        f.write("**MEASURDATA\n")
        cols = [data[key] * (10.0 if key == "fz" else 1.0) for _, _, _, key in TYDEX]
        for row in zip(*cols):
            f.write(" ".join(number(x) for x in row) + "\n")
        f.write("**END\n")
    # MATLAB file in SAE axes: one single-precision column per channel, units in a struct.
    mat = {name: np.asarray(col, dtype=np.float32).reshape(-1, 1)
           for (name, _, _, _), col in zip(CONSORTIUM, columns(data, True))}
    mat["units"] = {name: unit for name, unit, _, _ in CONSORTIUM}
    scipy.io.savemat(os.path.join(out, "run_sae.mat"), mat, do_compression=False, oned_as="column")


if __name__ == "__main__":
    main()
