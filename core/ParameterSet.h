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

/// How a parameter is written back to a parameter file.
struct ParameterInfo {
  const char* name;             ///< name under which the value is written
  const char* alternativeName;  ///< name under the speed-table friction law, or nullptr
  const char* unitField;        ///< unit in brackets, right-aligned to eight characters
  bool magnitude;               ///< the models use (and the writer writes) the magnitude
};

inline constexpr std::array<ParameterInfo, kParameterCount> kParameterTable = {{
    {"cx0", nullptr, "[N/mm^3]", false},
    {"cx1", nullptr, "[1/mm^3]", false},
    {"cy0", nullptr, "[N/mm^3]", false},
    {"cy1", nullptr, "[1/mm^3]", false},
    {"sx0", nullptr, "     [-]", false},
    {"sy0", nullptr, "     [-]", false},
    {"soff", nullptr, "     [-]", false},
    {"mue0", nullptr, "     [-]", true},
    {"muexy", nullptr, "     [-]", false},
    {"Vmuexy", nullptr, "     [-]", false},
    {"mue1xp", "mue1", "     [-]", true},
    {"cmuexp", "mue2", "     [-]", true},
    {"mue1xn", "mue3", "     [-]", true},
    {"cmuexn", "mue4", "     [-]", true},
    {"mue1yp", "mue5", "     [-]", true},
    {"cmueyp", "mue6", "     [-]", true},
    {"mue1yn", "frica0", "     [-]", true},
    {"cmueyn", "frica1", "     [-]", true},
    {"mueFz", nullptr, "     [-]", false},
    {"vslide", nullptr, "  [mm/s]", false},
    {"pin", nullptr, "[N/mm^2]", false},
    {"Fzbar", nullptr, "     [N]", false},
    {"MzScaleP", nullptr, "     [N]", false},
    {"MzScaleN", nullptr, "     [N]", false},
    {"cR", nullptr, "  [N/mm]", false},
    {"R", nullptr, "    [mm]", false},
    {"Ry", nullptr, "    [mm]", false},
    {"ni", nullptr, "     [-]", false},
    {"nj", nullptr, "     [-]", false},
    {"ny", nullptr, "     [-]", false},
    {"sliding", nullptr, "     [-]", false},
    {"pressure", nullptr, "     [-]", false},
    {"draw3d", nullptr, "     [-]", false},
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
