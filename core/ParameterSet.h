#pragma once

#include <array>
#include <cstddef>

namespace grip {

inline constexpr std::size_t kParameterCount = 33;

/// The 33 tyre parameters in file order (stiffness 4, offsets 3, friction 13,
/// other 4, contact 9).
using ParameterSet = std::array<double, kParameterCount>;

/// Positions of the parameters in a ParameterSet.
namespace par {
enum : std::size_t {
  cx0, cx1, cy0, cy1,                       // stiffness
  sx0, sy0, soff,                           // offsets
  mue0, muexy, Vmuexy,                      // friction
  mue1xp, cmuexp, mue1xn, cmuexn,
  mue1yp, cmueyp, mue1yn, cmueyn,
  mueFz, vslide,
  pin, Fzbar, MzScaleP, MzScaleN,           // other
  cR, R, Ry, ni, nj, ny, sliding, pressure, draw3d  // contact
};
}  // namespace par

/// How a parameter is named and written in a parameter file, whatever the
/// variant; what a variant makes of it (its names, unit, magnitude, counts)
/// is in the variant's description (TyreVariant::description).
struct ParameterInfo {
  const char* name;             ///< common name, written when no variant is selected
  /// Unit field written behind the value, right-aligned to eight characters.
  /// It is the file layout, not always the value's unit (sy0 is in degrees,
  /// the decay constants in mm/s, the load coefficients per N, MzScaleP and
  /// MzScaleN are factors): stored result files and the reference outputs
  /// carry these fields byte for byte, so the writer keeps them. The units
  /// are in the descriptions.
  const char* unitField;
};

inline constexpr std::array<ParameterInfo, kParameterCount> kParameterTable = {{
    {"cx0", "[N/mm^3]"},
    {"cx1", "[1/mm^3]"},
    {"cy0", "[N/mm^3]"},
    {"cy1", "[1/mm^3]"},
    {"sx0", "     [-]"},
    {"sy0", "     [-]"},
    {"soff", "     [-]"},
    {"mue0", "     [-]"},
    {"muexy", "     [-]"},
    {"Vmuexy", "     [-]"},
    {"mue1xp", "     [-]"},
    {"cmuexp", "     [-]"},
    {"mue1xn", "     [-]"},
    {"cmuexn", "     [-]"},
    {"mue1yp", "     [-]"},
    {"cmueyp", "     [-]"},
    {"mue1yn", "     [-]"},
    {"cmueyn", "     [-]"},
    {"mueFz", "     [-]"},
    {"vslide", "  [mm/s]"},
    {"pin", "[N/mm^2]"},
    {"Fzbar", "     [N]"},
    {"MzScaleP", "     [N]"},
    {"MzScaleN", "     [N]"},
    {"cR", "  [N/mm]"},
    {"R", "    [mm]"},
    {"Ry", "    [mm]"},
    {"ni", "     [-]"},
    {"nj", "     [-]"},
    {"ny", "     [-]"},
    {"sliding", "     [-]"},
    {"pressure", "     [-]"},
    {"draw3d", "     [-]"},
}};

/// The five parameter blocks of a parameter file: key, value count, object.
struct ParameterBlock {
  const char* key;
  int count;
  const char* header;  ///< header line as it is written, line end included
};

inline constexpr std::array<ParameterBlock, 5> kParameterBlocks = {{
    {"[TWGpar1]", 4, "[TWGpar1] number = 4, object = stiffness\n"},
    {"[TWGpar2]", 3, "[TWGpar2] number = 3, object = offsets\n"},
    {"[TWGpar3]", 13, "[TWGpar3] number = 13, object = friction\n"},
    {"[TWGpar4]", 4, "[TWGpar4] number = 4, object = other\n"},
    {"[TWGpar5]", 9, "[TWGpar5] number = 9, object = contact\n"},
}};

inline constexpr const char* kModelBlockKey = "[TWGmodel]";

/// Lines of a parameter file as the writers write them; stored result files
/// are read back as parameter files, so the layout stays exactly as it is.
inline constexpr const char* kParameterLineFormat = " %-8s = %+16.10e %s";
inline constexpr const char* kModelHeaderLine = "[TWGmodel]\n";
inline constexpr const char* kModelLineFormat = " model    = %+16.10e [-]\n";
inline constexpr const char* kEndOfFileLine = "[Eof]\n";

}  // namespace grip
