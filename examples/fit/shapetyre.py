"""The empirical shape formula of the passenger and light-truck benchmark
tyres (passenger/generate.py, truck/generate.py), each with its own
coefficients.

It is not the brush model that gripfit fits: a sine-of-arctangent shape
curve per direction with a load-dependent peak and slip stiffness, a camber
thrust as a shift of the slip angle, a pneumatic trail that falls and turns
over with the slip angle, and cosine-of-arctangent weights for combined
slip. Signs follow the brush model's: Fx with the slip, Fy with the slip
angle and the camber, Mz with the slip angle while it is small.
"""
import math
from dataclasses import dataclass


def shape(x, B, C, D, E):
    """The shape curve D sin(C atan(Bx - E(Bx - atan Bx)))."""
    Bx = B * x
    return D * math.sin(C * math.atan(Bx - E * (Bx - math.atan(Bx))))


@dataclass(frozen=True)
class ShapeTyre:
    """Coefficients of the formula; dfz = (Fz - FZ0) / FZ0 below."""
    FZ0: float  # nominal load [N]
    mux: tuple  # (mu, fall): peak friction mu (1 - fall dfz)
    Cx: float
    Ex: float
    Kx: tuple  # (k0, k1): slip stiffness Fz (k0 + k1 dfz) [N per unit slip]
    muy: tuple
    Cy: float
    Ey: float
    Ky: tuple  # (k, c, f): cornering stiffness k FZ0 sin(c atan(Fz / (f FZ0))) [N/rad]
    camber_thrust: float  # shift of the slip angle: this Fz camber / Ky
    ply_offset: float  # [deg]
    trail: tuple  # (t0, t1, c, b): t0 (1 + t1 dfz) cos(c atan(b (alpha + shift))) [mm]
    camber_moment: float  # Mz of the camber: - this Fz camber [N*mm]
    Gx: tuple  # (c, b): cos(c atan(b alpha)) weights Fx
    Gy: tuple  # (c, b): cos(c atan(b slip)) weights Fy and Mz

    def forces(self, slip, alpha_deg, camber_deg, Fz):
        FZ0 = self.FZ0
        dfz = (Fz - FZ0) / FZ0
        alpha = math.radians(alpha_deg)
        Dx = self.mux[0] * (1.0 - self.mux[1] * dfz) * Fz
        Kx = Fz * (self.Kx[0] + self.Kx[1] * dfz)
        Fx0 = shape(slip, Kx / (self.Cx * Dx), self.Cx, Dx, self.Ex)
        Dy = self.muy[0] * (1.0 - self.muy[1] * dfz) * Fz
        Ky = self.Ky[0] * FZ0 * math.sin(self.Ky[1] * math.atan(Fz / (self.Ky[2] * FZ0)))
        shift = self.camber_thrust * Fz * camber_deg / Ky + math.radians(self.ply_offset)
        Fy0 = shape(alpha + shift, Ky / (self.Cy * Dy), self.Cy, Dy, self.Ey)
        t0, t1, c, b = self.trail
        trail = t0 * (1.0 + t1 * dfz) * math.cos(c * math.atan(b * (alpha + shift)))
        Mz0 = trail * Fy0 - self.camber_moment * Fz * camber_deg
        Gx = math.cos(self.Gx[0] * math.atan(self.Gx[1] * alpha))
        Gy = math.cos(self.Gy[0] * math.atan(self.Gy[1] * slip))
        return Fx0 * Gx, Fy0 * Gy, Mz0 * Gy
