#pragma once

#include <pybind11/pybind11.h>

namespace grip {

/// The rig readers and the preparation in the module: read_rig,
/// find_sweeps, prepare_runs and check_prepare_options (gripsim/rig.py
/// gives them their Python shape).
void bindRig(pybind11::module_& m);

}  // namespace grip
