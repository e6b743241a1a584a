#!/usr/bin/python3
"""Measured sweeps of a light-truck tyre (225/75 R16 LT size, loads 4 to
12 kN), made by an empirical shape formula of our own, with a little
deterministic noise.

The formula is the passenger example's (examples/fit/passenger/generate.py)
with the coefficients of a stiffer, heavier tyre: a sine-of-arctangent shape
curve per direction, friction falling faster with the load, a cornering
stiffness that saturates later, a longer trail and a larger camber moment.
It is not the brush model that gripfit fits. Signs follow the brush model's:
Fx with the slip, Fy with the slip angle and the camber, Mz with the slip
angle while it is small.

Units of the measurement files: slip [-], slip angle and camber [deg],
forces [N], Mz [N*mm]. Run in this folder: /usr/bin/python3 generate.py
"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import sweepset  # noqa: E402 (examples/fit/sweepset.py)

FZ0 = 8000.0  # nominal load [N]
NOISE = random.Random(20261208)  # fixed seed: the same files every run


def shape(x, B, C, D, E):
    """The shape curve D sin(C atan(Bx - E(Bx - atan Bx)))."""
    Bx = B * x
    return D * math.sin(C * math.atan(Bx - E * (Bx - math.atan(Bx))))


def forces(slip, alpha_deg, camber_deg, Fz):
    dfz = (Fz - FZ0) / FZ0
    alpha = math.radians(alpha_deg)
    # Longitudinal: a stiff carcass (about 24 times the load per unit slip),
    # friction falling with the load.
    mux = 0.98 * (1.0 - 0.12 * dfz)
    Cx, Ex = 1.70, 0.10
    Dx = mux * Fz
    Kx = Fz * (24.0 + 2.0 * dfz)  # [N per unit slip]
    Fx0 = shape(slip, Kx / (Cx * Dx), Cx, Dx, Ex)
    # Lateral: the cornering stiffness saturates near twice the nominal load;
    # the camber thrust (about 15 N/deg per kN) enters as a shift.
    muy = 0.92 * (1.0 - 0.14 * dfz)
    Cy, Ey = 1.40, -0.30
    Dy = muy * Fz
    Ky = 13.0 * FZ0 * math.sin(1.6 * math.atan(Fz / (1.4 * FZ0)))  # [N/rad]
    shift = 0.015 * Fz * camber_deg / Ky + math.radians(-0.08)  # camber thrust and a ply offset
    Fy0 = shape(alpha + shift, Ky / (Cy * Dy), Cy, Dy, Ey)
    # Aligning moment: a longer trail than a passenger tyre's.
    t0 = 52.0 * (1.0 + 0.20 * dfz)  # [mm]
    trail = t0 * math.cos(1.20 * math.atan(7.0 * (alpha + shift)))
    Mz0 = trail * Fy0 - 0.9 * Fz * camber_deg
    # Combined slip: each force weighted down by the other slip.
    Gx = math.cos(1.0 * math.atan(6.0 * alpha))
    Gy = math.cos(1.0 * math.atan(6.0 * slip))
    return Fx0 * Gx, Fy0 * Gy, Mz0 * Gy


def main():
    # Noise: about 0.4 % of the load on the forces, 3 N*m on Mz.
    sweepset.write_set("light-truck tyre 225/75 R16 LT: sweeps made by generate.py", forces, NOISE,
                       loads=(4000.0, 8000.0, 12000.0), speed=16667.0,  # 60 km/h [mm/s]
                       slip=(0.20, 45), alpha=(10.0, 45), camber=(8000.0, (-3.0, 0.0, 3.0), 8.0, 21),
                       force_noise=0.004, mz_noise=3000.0)


if __name__ == "__main__":
    main()
