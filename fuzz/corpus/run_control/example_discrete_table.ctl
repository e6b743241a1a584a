Passenger car tyre 205/55 R16, discrete brush model with the speed-table
friction law (sliding = 4): the friction value follows the sliding speed
through six decades from vslide on, the parameters mue1 to mue6.
Lines that hold no section key are comments.

[DataFileName]
passenger_discrete_table.dat

[SingleInput] braking at 4 kN, 5 % slip, 2 deg slip angle
 slip     = -0.05
 alpha    = 2.0     [deg]
 camber   = 0.0     [deg]
 Fz       = 4000    [N]
 V        = 20000   [mm/s]

[RangeInput] slip sweep from -30 % to +30 % at 4 kN
 points   = 61
 file     = slip_sweep_table.dat
 end point of the sweep
 slip     = 0.3
 alpha    = 0.0
 camber   = 0.0
 Fz       = 4000
 V        = 20000
 start point of the sweep
 slip     = -0.3
 alpha    = 0.0
 camber   = 0.0
 Fz       = 4000
 V        = 20000

[FileInput] cornering measurement at 20 m/s
 file = measured.dat speed = 20000

[Eof]
