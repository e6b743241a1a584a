#!/usr/bin/python3
"""Measured sweeps of a passenger-car tyre (205/55 R16 size), made by an
empirical shape formula of our own, with a little deterministic noise.

The formula is not the brush model that gripfit fits: a sine-of-arctangent
shape curve per direction with a load-dependent peak and slip stiffness, a
camber thrust as a shift of the slip angle, a pneumatic trail that falls
and turns over with the slip angle, and cosine-of-arctangent weights for
combined slip. Signs follow the brush model's: Fx with the slip, Fy with
the slip angle and the camber, Mz with the slip angle while it is small.

Units of the measurement files: slip [-], slip angle and camber [deg],
forces [N], Mz [N*mm]. Run in this folder: /usr/bin/python3 generate.py
"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import sweepset  # noqa: E402 (examples/fit/sweepset.py)

FZ0 = 4000.0  # nominal load [N]
NOISE = random.Random(20240611)  # fixed seed: the same files every run


def shape(x, B, C, D, E):
    """The shape curve D sin(C atan(Bx - E(Bx - atan Bx)))."""
    Bx = B * x
    return D * math.sin(C * math.atan(Bx - E * (Bx - math.atan(Bx))))


def forces(slip, alpha_deg, camber_deg, Fz):
    dfz = (Fz - FZ0) / FZ0
    alpha = math.radians(alpha_deg)
    # Longitudinal: friction falls with the load, stiffness grows with it.
    mux = 1.10 * (1.0 - 0.08 * dfz)
    Cx, Ex = 1.60, 0.30
    Dx = mux * Fz
    Kx = Fz * (19.0 + 3.0 * dfz)  # [N per unit slip]
    Fx0 = shape(slip, Kx / (Cx * Dx), Cx, Dx, Ex)
    # Lateral: cornering stiffness saturates with the load; the camber
    # thrust (about 25 N/deg per kN) enters as a shift of the slip angle.
    muy = 1.02 * (1.0 - 0.10 * dfz)
    Cy, Ey = 1.35, -0.60
    Dy = muy * Fz
    Ky = 16.0 * FZ0 * math.sin(2.0 * math.atan(Fz / (1.7 * FZ0)))  # [N/rad]
    shift = 0.025 * Fz * camber_deg / Ky + math.radians(0.12)  # camber thrust and a small ply offset
    Fy0 = shape(alpha + shift, Ky / (Cy * Dy), Cy, Dy, Ey)
    # Aligning moment: trail times force, the trail falling through zero
    # at large slip angles, and a little residual moment of the camber.
    t0 = 38.0 * (1.0 + 0.25 * dfz)  # [mm]
    trail = t0 * math.cos(1.25 * math.atan(9.0 * (alpha + shift)))
    Mz0 = trail * Fy0 - 0.6 * Fz * camber_deg
    # Combined slip: each force weighted down by the other slip.
    Gx = math.cos(1.1 * math.atan(7.0 * alpha))
    Gy = math.cos(1.0 * math.atan(5.0 * slip))
    return Fx0 * Gx, Fy0 * Gy, Mz0 * Gy


def main():
    # Noise: about 0.4 % of the load on the forces, 1.5 N*m on Mz.
    sweepset.write_set("passenger car tyre 205/55 R16: sweeps made by generate.py", forces, NOISE,
                       loads=(2000.0, 4000.0, 6000.0), speed=16667.0,  # 60 km/h [mm/s]
                       slip=(0.25, 55), alpha=(12.0, 55), camber=(4000.0, (-4.0, 0.0, 4.0), 10.0, 25),
                       force_noise=0.004, mz_noise=1500.0)


if __name__ == "__main__":
    main()
