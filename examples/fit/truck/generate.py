#!/usr/bin/python3
"""Measured sweeps of a light-truck tyre (225/75 R16 LT size, loads 4 to
12 kN), made by the passenger example's empirical shape formula
(examples/fit/shapetyre.py, not the brush model that gripfit fits) with the
coefficients of a stiffer, heavier tyre, and a little deterministic noise.

Units of the measurement files: slip [-], slip angle and camber [deg],
forces [N], Mz [N*mm]. Run in this folder: /usr/bin/python3 generate.py
"""
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import sweepset  # noqa: E402 (examples/fit/sweepset.py)
from shapetyre import ShapeTyre  # noqa: E402

NOISE = random.Random(20261208)  # fixed seed: the same files every run

TYRE = ShapeTyre(
    FZ0=8000.0,
    # Longitudinal: a stiff carcass (about 24 times the load per unit slip),
    # friction falling with the load.
    mux=(0.98, 0.12), Cx=1.70, Ex=0.10, Kx=(24.0, 2.0),
    # Lateral: the cornering stiffness saturates near twice the nominal load;
    # the camber thrust (about 15 N/deg per kN) enters as a shift.
    muy=(0.92, 0.14), Cy=1.40, Ey=-0.30, Ky=(13.0, 1.6, 1.4), camber_thrust=0.015, ply_offset=-0.08,
    # Aligning moment: a longer trail than a passenger tyre's.
    trail=(52.0, 0.20, 1.20, 7.0), camber_moment=0.9,
    Gx=(1.0, 6.0), Gy=(1.0, 6.0))


def main():
    # Noise: about 0.4 % of the load on the forces, 3 N*m on Mz.
    sweepset.write_set("light-truck tyre 225/75 R16 LT: sweeps made by generate.py", TYRE.forces, NOISE,
                       loads=(4000.0, 8000.0, 12000.0), speed=16667.0,  # 60 km/h [mm/s]
                       slip=(0.20, 45), alpha=(10.0, 45), camber=(8000.0, (-3.0, 0.0, 3.0), 8.0, 21),
                       force_noise=0.004, mz_noise=3000.0)


if __name__ == "__main__":
    main()
