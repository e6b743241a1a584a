"""Numbers of the keyword options, taken as the library takes them."""

import operator

import numpy as np


def whole_number(value) -> int:
    """value as a whole number: an integer (a boolean is none) or a float
    that is whole (starts=n / 2 is taken as its number); TypeError else."""
    if isinstance(value, (bool, np.bool_)):
        raise TypeError
    return int(value) if isinstance(value, float) and value.is_integer() else operator.index(value)
