Passenger car tyre 205/55 R16, continuous brush model.
Lines that hold no section key are comments.

[DataFileName]
passenger.dat

[SingleInput] braking at 4 kN, 5 % slip, 2 deg slip angle
 slip     = -0.05
 alpha    = 2.0     [deg]
 camber   = 0.0     [deg]
 Fz       = 4000    [N]
 V        = 20000   [mm/s]

[RangeInput] slip-angle sweep from -10 to +10 deg at 4 kN
 points   = 41
 file     = alpha_sweep.dat
 end point of the sweep
 slip     = 0.0
 alpha    = 10.0
 camber   = 0.0
 Fz       = 4000
 V        = 20000
 start point of the sweep
 slip     = 0.0
 alpha    = -10.0
 camber   = 0.0
 Fz       = 4000
 V        = 20000

[RangeInput] slip sweep from -20 % to +20 % at 4 kN
 points   = 41
 file     = slip_sweep.dat
 end point of the sweep
 slip     = 0.2
 alpha    = 0.0
 camber   = 0.0
 Fz       = 4000
 V        = 20000
 start point of the sweep
 slip     = -0.2
 alpha    = 0.0
 camber   = 0.0
 Fz       = 4000
 V        = 20000

[FileInput] cornering measurement at 20 m/s
 file = measured.dat speed = 20000

[Eof]
