#!/usr/bin/python3
"""Measured sweeps of a second passenger-car tyre (195/65 R15 size): seven
sweeps, 405 points, made by an empirical formula of our own that differs
from the first example's, with a little deterministic noise.

The formula is neither the brush model that gripfit fits nor the first
example's shape curve: each force rises as a hyperbolic tangent of the slip
over its peak, then falls towards its sliding value by a rational decay;
the camber adds a thrust that fades as the tyre slides; the pneumatic trail
falls as a Gaussian of the slip angle and turns over beyond it; combined
slip weights each force by a friction ellipse of the other's share. Signs
follow the brush model's: Fx with the slip, Fy with the slip angle and the
camber, Mz with the slip angle while it is small.

Units of the measurement files: slip [-], slip angle and camber [deg],
forces [N], Mz [N*mm]. Run in this folder: /usr/bin/python3 generate.py
"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import sweepset  # noqa: E402 (examples/fit/sweepset.py)

FZ0 = 4500.0  # nominal load [N]
NOISE = random.Random(19650515)  # fixed seed: the same files every run


def rise_and_fall(x, K, D, fall, width):
    """A force of slope K at zero, peak near D, falling to D (1 - fall) far
    beyond width: D tanh(K x / D) (1 - fall (x/w)^2 / (1 + (x/w)^2))."""
    r = (x / width) ** 2
    return D * math.tanh(K * x / D) * (1.0 - fall * r / (1.0 + r))


def forces(slip, alpha_deg, camber_deg, Fz):
    dfz = (Fz - FZ0) / FZ0
    alpha = math.radians(alpha_deg)
    # Longitudinal: slip stiffness grows less than the load, friction falls.
    Dx = 1.05 * (1.0 - 0.06 * dfz) * Fz
    Kx = 17.0 * FZ0 * (Fz / FZ0) ** 0.85  # [N per unit slip]
    Fx0 = rise_and_fall(slip + 0.004, Kx, Dx, 0.22, 0.12)
    # Lateral: cornering stiffness by a power of the load, a ply offset.
    Dy = 0.97 * (1.0 - 0.12 * dfz) * Fz
    Ky = 14.0 * FZ0 * (Fz / FZ0) ** 0.7  # [N/rad]
    a = alpha + math.radians(-0.15)
    Fy0 = rise_and_fall(a, Ky, Dy, 0.15, math.radians(9.0))
    # Camber thrust of about 18 N/deg per kN, fading as the patch slides.
    Fy0 += 0.018 * Fz * camber_deg / (1.0 + (a / math.radians(6.0)) ** 2)
    # Aligning moment: a Gaussian trail turned over beyond 7 deg.
    t0 = 33.0 * (1.0 + 0.30 * dfz)  # [mm]
    trail = t0 * math.exp(-((a / math.radians(5.0)) ** 2)) * (1.0 - 0.4 * (a / math.radians(7.0)) ** 2)
    Mz0 = trail * Fy0 - 0.45 * Fz * camber_deg
    # Combined slip: a friction ellipse of each share.
    sx = min(abs(slip) / 0.12, 1.0)
    sy = min(abs(alpha) / math.radians(8.0), 1.0)
    Gx = math.sqrt(max(1.0 - 0.8 * sy * sy, 0.0))
    Gy = math.sqrt(max(1.0 - 0.8 * sx * sx, 0.0))
    return Fx0 * Gx, Fy0 * Gy, Mz0 * Gy


def main():
    # Noise: about 0.5 % of the load on the forces, 2 N*m on Mz.
    sweepset.write_set("passenger car tyre 195/65 R15: sweeps made by generate.py", forces, NOISE,
                       loads=(2500.0, 4500.0, 6500.0), speed=13889.0,  # 50 km/h [mm/s]
                       slip=(0.3, 55), alpha=(14.0, 55), camber=(4500.0, (-5.0, 0.0, 5.0), 10.0, 25),
                       force_noise=0.005, mz_noise=2000.0)


if __name__ == "__main__":
    main()
