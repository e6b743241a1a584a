#!/usr/bin/python3
"""Flat-track runs of a 205/60 R15 passenger tyre, as a tyre-test consortium hands them out.

Four runs of about 57 s at 100 Hz, each a comma-separated file with a
description line and a "NAME [unit]" header, in SAE J670 axes (x forward,
y right, z down: FZ is negative under load):

    cornering_IA0.csv, cornering_IA2.csv, cornering_IA4.csv
        a warm-up, then slip-angle sweeps 0 -> -12 -> +12 -> 0 deg at 2, 4
        and 6 kN joined by load ramps, at camber 0, 2 and 4 deg;
    drive_brake_IA0.csv
        slip-ratio sweeps 0 -> -0.15 -> +0.15 -> 0 at the same loads.

The tyre follows an empirical formula of its own, not the brush models of
this project: a saturating curve whose force falls a little beyond its
peak, a cornering stiffness that flattens with the load, a friction that
falls with the load and with the tread temperature, camber thrust,
ply-steer offsets, and a pneumatic trail that shrinks as the patch slides.
The forces lag behind the slip by a relaxation length, the tread heats
while it slides, and every force carries noise of about 1 % of the load.

    /usr/bin/python3 examples/rig/consortium.py [--seed N] OUTDIR
"""

import argparse
import os

import numpy as np

from generate import lagged  # the relaxation of the tread, as the example run has it

RATE = 100.0  # samples per second [Hz]
SPEED = 40.0  # travel speed [km/h]
FREE_RADIUS = 0.3135  # 205/60 R15: 7.5 in rim radius plus 60 % of 205 mm [m]
RADIAL_STIFFNESS = 210.0e3  # [N/m]
PRESSURE = 220.0  # cold inflation [kPa]
LOADS = (2000.0, 4000.0, 6000.0)  # [N]
LATERAL_RELAXATION = 0.45  # [m]
LONGITUDINAL_RELAXATION = 0.15  # [m]

# Channel name, unit, key of the run's columns.
CHANNELS = [
    ("ET", "s", "t"), ("V", "km/h", "v"), ("N", "rpm", "rpm"), ("SA", "deg", "sa"), ("IA", "deg", "ia"),
    ("SL", "-", "sl"), ("P", "kPa", "p"), ("FX", "N", "fx"), ("FY", "N", "fy"), ("FZ", "N", "fz"),
    ("MX", "Nm", "mx"), ("MZ", "Nm", "mz"), ("RL", "cm", "rl"), ("RE", "cm", "re"), ("TSTC", "degC", "temp"),
]
# Run file, camber [deg], swept slip, tread temperature at the start [degC].
RUNS = [
    ("cornering_IA0.csv", 0.0, "alpha", 27.0),
    ("cornering_IA2.csv", 2.0, "alpha", 33.0),
    ("cornering_IA4.csv", 4.0, "alpha", 35.0),
    ("drive_brake_IA0.csv", 0.0, "kappa", 31.0),
]


def schedule(swept):
    """Slip angle [deg], slip ratio [-] and load setting [N] against time."""
    alpha, kappa, load = [], [], []

    def piece(seconds, a, k, f):
        n = int(round(seconds * RATE))
        for series, value in ((alpha, a), (kappa, k), (load, f)):
            series.append(np.full(n, value) if np.isscalar(value) else value(np.arange(n) / n))

    def sweep(low, high):
        # 0 -> low -> high -> 0 at one rate.
        total = abs(low) + (high - low) + abs(high)
        return lambda u: np.interp(u * total, [0.0, abs(low), abs(low) + high - low, total], [0.0, low, high, 0.0])

    piece(6.0, 0.0, 0.0, LOADS[1])  # warm-up: rolling at the middle load
    previous = LOADS[1]
    for f in LOADS:
        piece(1.5, 0.0, 0.0, lambda u, a=previous, b=f: a + (b - a) * u)  # load ramp
        piece(1.0, 0.0, 0.0, f)  # settle
        if swept == "alpha":
            piece(13.33, sweep(-12.0, 12.0), 0.0, f)
        else:
            piece(13.33, 0.0, sweep(-0.15, 0.15), f)
        piece(0.5, 0.0, 0.0, f)
        previous = f
    piece(2.0, 0.0, 0.0, lambda u: previous * (1.0 - u) + 50.0 * u)  # unloading at the end
    return [np.concatenate(s) for s in (alpha, kappa, load)]


def forces(alpha, gamma, kappa, fz, heat):
    """Steady forces in our axes (x forward, y right, z up; a positive slip
    angle gives a positive Fy and Mz): Fx, Fy [N], Mx, Mz [N*m].

    heat is the tread temperature over its start [K]: friction falls by
    0.25 % per kelvin.
    """
    scale = fz / 4000.0
    mu = (1.12 - 0.10 * (scale - 1.0)) * (1.0 - 0.0025 * heat)
    a = np.radians(alpha + 0.1)  # ply steer: the slip share of Fy is zero at -0.1 deg
    cornering = 21.0 * fz * (1.0 - fz / 15000.0)  # [N/rad]
    limit = mu * fz
    s = cornering * np.tan(a) / limit
    shape = np.tanh(s) * (1.0 - 0.12 * (1.0 - 1.0 / np.cosh(s)))  # peak, then a fall of 12 %
    slid = np.abs(np.tanh(s))
    fy_slip = limit * shape
    fy = fy_slip + 60.0 * gamma * scale * (1.0 - 0.5 * slid) + 30.0 * scale  # camber thrust, conicity
    trail = 0.032 * np.sqrt(scale) * (1.0 - slid) ** 1.5  # [m]
    mz = trail * fy_slip - 0.9 * gamma * scale  # [N*m]
    slip_stiffness = 22.0 * fz * (1.0 - fz / 20000.0)  # [N]
    long_limit = 1.08 * limit
    sx = slip_stiffness * kappa / long_limit
    fx = long_limit * np.tanh(sx) * (1.0 - 0.10 * (1.0 - 1.0 / np.cosh(sx)))
    mx = -0.018 * fy
    return fx, fy, mx, mz, slid


def run(gamma, swept, cold, rng):
    """One run's channels in SAE J670 axes and the units of CHANNELS."""
    alpha, kappa, setting = schedule(swept)
    n = alpha.size
    t = np.arange(n) / RATE
    dt = 1.0 / RATE
    v = SPEED / 3.6  # [m/s]
    # The load follows its setting through the rig's servo, which wanders a little.
    fz = lagged(setting, dt, 0.08) + lagged(rng.normal(0.0, 25.0, n), dt, 0.3)
    gammas = np.full(n, gamma) + rng.normal(0.0, 0.01, n)
    # The tread heats as it rolls and more as it slides, and cools towards the air.
    _, _, _, _, slid = forces(alpha, gamma, kappa, fz, 0.0)
    heat = np.empty(n)
    h = 0.0
    for i in range(n):
        h += dt * (0.35 + 2.2 * slid[i] ** 2 - h / 60.0)
        heat[i] = h
    fx, fy, mx, mz, _ = forces(alpha, gammas, kappa, fz, heat)
    fx = lagged(fx, dt, LONGITUDINAL_RELAXATION / v)
    fy, mx, mz = (lagged(x, dt, LATERAL_RELAXATION / v) for x in (fy, mx, mz))
    noise = 0.01 * fz
    fx = fx + rng.normal(0.0, 1.0, n) * noise
    fy = fy + rng.normal(0.0, 1.0, n) * noise
    fz_measured = fz + rng.normal(0.0, 1.0, n) * noise
    mz = mz + rng.normal(0.0, 1.0, n) * noise * 0.025
    mx = mx + rng.normal(0.0, 1.0, n) * noise * 0.01
    rl = FREE_RADIUS - fz / RADIAL_STIFFNESS
    re = FREE_RADIUS - fz / (3.0 * RADIAL_STIFFNESS)
    speed = SPEED + rng.normal(0.0, 0.05, n)
    rpm = speed / 3.6 * (1.0 + kappa) / re * 60.0 / (2.0 * np.pi)
    temperature = cold + heat + rng.normal(0.0, 0.1, n)
    pressure = PRESSURE * (273.15 + cold + 0.3 * heat) / (273.15 + cold) + rng.normal(0.0, 0.3, n)
    # Our axes to SAE J670: y and z turn round, so the slip angle, Fz and Mz change sign.
    return {
        "t": t, "v": speed, "rpm": rpm, "sa": -(alpha + rng.normal(0.0, 0.01, n)), "ia": gammas,
        "sl": kappa + rng.normal(0.0, 2e-4, n), "p": pressure,
        "fx": fx, "fy": fy, "fz": -fz_measured, "mx": mx, "mz": -mz,
        "rl": rl * 100.0, "re": re * 100.0, "temp": temperature,
    }


def number(x):
    return "%.6g" % x  # the C locale's format: Python's % does not follow LC_NUMERIC


def write(path, title, data):
    with open(path, "w", newline="\n") as f:
        f.write(title + "\n")
        f.write(",".join("%s [%s]" % (name, unit) for name, unit, _ in CHANNELS) + "\n")
        for row in zip(*(data[key] for _, _, key in CHANNELS)):
            f.write(",".join(number(x) for x in row) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir")
    parser.add_argument("--seed", type=int, default=1, help="seed of the noise (default 1)")
    args = parser.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    rng = np.random.default_rng(args.seed)
    for number_, (name, gamma, swept, cold) in enumerate(RUNS, start=1):
        what = "slip-angle sweeps" if swept == "alpha" else "slip-ratio sweeps"
        title = ("Flat-track run %d of %d: 205/60 R15 at %.0f kPa, %.0f km/h, %s at 2, 4 and 6 kN, camber %.0f deg "
                 "(SAE J670 axes, seed %d)" % (number_, len(RUNS), PRESSURE, SPEED, what, gamma, args.seed))
        write(os.path.join(args.outdir, name), title, run(gamma, swept, cold, rng))


if __name__ == "__main__":
    main()
