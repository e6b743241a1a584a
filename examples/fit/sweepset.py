"""The sweeps of a benchmark tyre as the generators beside it write them.

Each tyre folder's generate.py has its own empirical formula; this module
walks the test plan (slip-ratio and slip-angle sweeps at three loads, a
camber sweep at the middle one), adds the noise of a rig, and writes the
measurement files and DesignTarget.dat into the working folder. Units of
the files: slip [-], slip angle and camber [deg], forces [N], Mz [N*mm].
"""


def linspace(a, b, n):
    return [a + (b - a) * k / (n - 1) for k in range(n)]


def write_sweep(name, points, forces, noise, force_noise, mz_noise):
    """One measurement file; forces(slip, alpha, camber, Fz) -> Fx, Fy, Mz.
    Noise: force_noise of the load on the forces, mz_noise [N*mm] on Mz,
    0.3 % on the measured load."""
    with open(name, "w") as out:
        for slip, alpha, camber, Fz in points:
            Fx, Fy, Mz = forces(slip, alpha, camber, Fz)
            Fx += noise.gauss(0.0, force_noise * Fz)
            Fy += noise.gauss(0.0, force_noise * Fz)
            Mz += noise.gauss(0.0, mz_noise)
            Fz_measured = Fz * (1.0 + noise.gauss(0.0, 0.003))
            out.write("%+e %+e %+e %+e %+e %+e %+e\n" % (slip, alpha, camber, Fx, Fy, Fz_measured, Mz))
    return len(points)


def write_set(title, forces, noise, *, loads, speed, slip, alpha, camber, force_noise, mz_noise):
    """The whole set. slip, alpha: (half span, points) of the sweeps at
    each load; camber: (load, cambers, half span of the slip angle, points).
    speed [mm/s]."""
    def sweep(name, points):
        return write_sweep(name, points, forces, noise, force_noise, mz_noise)

    lines = []
    for Fz in loads:
        name = "slip%d.dat" % Fz
        n = sweep(name, [(s, 0.0, 0.0, Fz) for s in linspace(-slip[0], slip[0], slip[1])])
        lines.append(" file = %-16s points = %3d direction = 1 speed = %g" % (name, n, speed))
    for Fz in loads:
        name = "alpha%d.dat" % Fz
        n = sweep(name, [(0.0, a, 0.0, Fz) for a in linspace(-alpha[0], alpha[0], alpha[1])])
        lines.append(" file = %-16s points = %3d direction = 3 speed = %g" % (name, n, speed))
    load, cambers, span, count = camber
    name = "camber%d.dat" % load
    n = sweep(name, [(0.0, a, c, load) for c in cambers for a in linspace(-span, span, count)])
    lines.append(" file = %-16s points = %3d direction = 3 speed = %g" % (name, n, speed))
    with open("DesignTarget.dat", "w") as out:
        out.write(title + "\n")
        out.write(" number of files = %d\n" % len(lines))
        out.write("\n".join(lines) + "\n[Eof]\n")
