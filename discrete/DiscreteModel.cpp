#include "DiscreteModel.h"
