Worked fitting example: the "measurements" of this folder are gripsim sweeps
of the passenger car tyre ../passenger.dat. Run in this folder:
    gripsim measure.ctl
Lines that hold no section key are comments.

[DataFileName]
../passenger.dat

[RangeInput] braking and driving at 3 kN: Fx counts (direction 1)
 points   = 41
 file     = slip3000.dat
 end point of the sweep
 slip     = 0.2
 alpha    = 0.0
 camber   = 0.0
 Fz       = 3000
 V        = 20000
 start point of the sweep
 slip     = -0.2
 alpha    = 0.0
 camber   = 0.0
 Fz       = 3000
 V        = 20000

[RangeInput] braking and driving at 5 kN: Fx counts (direction 1)
 points   = 41
 file     = slip5000.dat
 end point of the sweep
 slip     = 0.2
 alpha    = 0.0
 camber   = 0.0
 Fz       = 5000
 V        = 20000
 start point of the sweep
 slip     = -0.2
 alpha    = 0.0
 camber   = 0.0
 Fz       = 5000
 V        = 20000

[RangeInput] cornering at 3 kN: Fy counts (direction 2)
 points   = 41
 file     = alpha3000.dat
 end point of the sweep
 slip     = 0.0
 alpha    = 10.0
 camber   = 0.0
 Fz       = 3000
 V        = 20000
 start point of the sweep
 slip     = 0.0
 alpha    = -10.0
 camber   = 0.0
 Fz       = 3000
 V        = 20000

[RangeInput] cornering at 5 kN: Fy counts (direction 2)
 points   = 41
 file     = alpha5000.dat
 end point of the sweep
 slip     = 0.0
 alpha    = 10.0
 camber   = 0.0
 Fz       = 5000
 V        = 20000
 start point of the sweep
 slip     = 0.0
 alpha    = -10.0
 camber   = 0.0
 Fz       = 5000
 V        = 20000

[RangeInput] cornering at 4 kN: Fy and Mz count (direction 3)
 points   = 41
 file     = moment4000.dat
 end point of the sweep
 slip     = 0.0
 alpha    = 6.0
 camber   = 0.0
 Fz       = 4000
 V        = 20000
 start point of the sweep
 slip     = 0.0
 alpha    = -6.0
 camber   = 0.0
 Fz       = 4000
 V        = 20000

[Eof]
