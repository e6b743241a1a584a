#!/usr/bin/python3
"""Measured sweeps of a passenger-car tyre (205/55 R16 size), made by the
empirical shape formula of examples/fit/shapetyre.py (not the brush model
that gripfit fits), with a little deterministic noise.

Units of the measurement files: slip [-], slip angle and camber [deg],
forces [N], Mz [N*mm]. Run in this folder: /usr/bin/python3 generate.py
"""
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import sweepset  # noqa: E402 (examples/fit/sweepset.py)
from shapetyre import ShapeTyre  # noqa: E402

NOISE = random.Random(20240611)  # fixed seed: the same files every run

TYRE = ShapeTyre(
    FZ0=4000.0,
    # Longitudinal: friction falls with the load, stiffness grows with it.
    mux=(1.10, 0.08), Cx=1.60, Ex=0.30, Kx=(19.0, 3.0),
    # Lateral: cornering stiffness saturates with the load; the camber
    # thrust (about 25 N/deg per kN) enters as a shift of the slip angle,
    # with a small ply offset.
    muy=(1.02, 0.10), Cy=1.35, Ey=-0.60, Ky=(16.0, 2.0, 1.7), camber_thrust=0.025, ply_offset=0.12,
    # Aligning moment: trail times force, the trail falling through zero
    # at large slip angles, and a little residual moment of the camber.
    trail=(38.0, 0.25, 1.25, 9.0), camber_moment=0.6,
    # Combined slip: each force weighted down by the other slip.
    Gx=(1.1, 7.0), Gy=(1.0, 5.0))


def main():
    # Noise: about 0.4 % of the load on the forces, 1.5 N*m on Mz.
    sweepset.write_set("passenger car tyre 205/55 R16: sweeps made by generate.py", TYRE.forces, NOISE,
                       loads=(2000.0, 4000.0, 6000.0), speed=16667.0,  # 60 km/h [mm/s]
                       slip=(0.25, 55), alpha=(12.0, 55), camber=(4000.0, (-4.0, 0.0, 4.0), 10.0, 25),
                       force_noise=0.004, mz_noise=1500.0)


if __name__ == "__main__":
    main()
