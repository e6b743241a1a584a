#pragma once

// Console messages of the model core. Their wording is an interface: scripts
// and users match them, so they stay exactly as they are.

namespace grip::msg {

inline constexpr const char* kModelType =
    " type of model should be 1 (continuos) or 2 (discete) and not %d\n";
inline constexpr const char* kUnableToOpenParameterFile = " unable to open input file %s for reading\n";
inline constexpr const char* kBlockError = " Error in data block %d \n";
inline constexpr const char* kValueCount = " number of input data = %d should be = %d\n";
inline constexpr const char* kModelError = " error %d while using model %d\n";

// Faults of keyed lines: file, line number and the offending text.
inline constexpr const char* kNoEqualsSign = " line %d of %s has no \"=\": %s\n";
inline constexpr const char* kNoNumber = " line %d of %s has no number after \"=\": %s\n";
inline constexpr const char* kDecimalComma =
    " line %d of %s has a number with a decimal comma (write it with a point): %s\n";
inline constexpr const char* kEndOfFile = " %s ends after line %d where line %d was expected\n";

inline constexpr const char* kModelNotSetUp =
    " model %d is not set up: parameter file %s was not accepted\n";

}  // namespace grip::msg
