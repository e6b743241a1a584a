Passenger car tyre 205/55 R16, discrete brush model on a 20 x 20 grid with the
contact patch and its pressure taken from the crown geometry (pressure = 4).
Lines that hold no section key are comments.

[DataFileName]
passenger_discrete.dat

The single input writes the trace of every grid point to DiscreteOutput.dat.

[SingleInput] cornering at 4 kN, 3 deg slip angle and 3 deg camber
 slip     = 0.0
 alpha    = 3.0     [deg]
 camber   = 3.0     [deg]
 Fz       = 4000    [N]
 V        = 20000   [mm/s]

[RangeInput] camber sweep from -6 to +6 deg at 4 kN and 2 deg slip angle
 points   = 25
 file     = camber_sweep.dat
 end point of the sweep
 slip     = 0.0
 alpha    = 2.0
 camber   = 6.0
 Fz       = 4000
 V        = 20000
 start point of the sweep
 slip     = 0.0
 alpha    = 2.0
 camber   = -6.0
 Fz       = 4000
 V        = 20000

[RangeInput] slip-angle sweep from -10 to +10 deg at 4 kN and 3 deg camber
 points   = 41
 file     = alpha_sweep_cambered.dat
 end point of the sweep
 slip     = 0.0
 alpha    = 10.0
 camber   = 3.0
 Fz       = 4000
 V        = 20000
 start point of the sweep
 slip     = 0.0
 alpha    = -10.0
 camber   = 3.0
 Fz       = 4000
 V        = 20000

[Eof]
