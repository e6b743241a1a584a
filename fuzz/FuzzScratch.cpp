#include "FuzzScratch.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace grip::fuzz {

void enterScratchFolder(const char* targetName) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / (std::string("grip-") + targetName + "-" + std::to_string(getpid()));
  std::error_code error;
  fs::create_directories(folder, error);
  fs::current_path(folder, error);
  if (error) std::fprintf(stderr, "cannot work in %s: %s\n", folder.c_str(), error.message().c_str());
  // The code prints every message through the standard output.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::fprintf(stderr, "cannot silence stdout\n");
}

void writeFile(const std::string& name, std::string_view bytes) {
  std::ofstream file(name, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void removeFile(const std::string& name) {
  std::error_code ignored;
  std::filesystem::remove(name, ignored);
}

std::string parameterFileText(int model, int sliding, int pressure, int ni, int nj) {
  std::ostringstream text;
  text << "[TWGpar1] number = 4, object = stiffness\n"
          " cx0      = +6.0e-02 [N/mm^3] designbounds +3.0e-02 +9.0e-02\n"
          " cx1      = +1.0e-06 [1/mm^3]\n"
          " cy0      = +4.5e-02 [N/mm^3] designbounds +2.0e-02 +7.0e-02\n"
          " cy1      = -1.0e-07 [1/mm^3]\n"
          "[TWGpar2] number = 3, object = offsets\n"
          " sx0      = +0.0 [-]\n"
          " sy0      = +1.0e-01 [-]\n"
          " soff     = -2.0e-06 [-]\n"
          "[TWGpar3] number = 13, object = friction\n"
          " mue0     = +1.05 [-] designbounds +6.0e-01 +1.4\n"
          " muexy    = +1.0 [-]\n"
          " Vmuexy   = +1.0 [-]\n"
          " mue1xp   = +0.85 [-]\n"
          " cmuexp   = +3000 [-]\n"
          " mue1xn   = +0.82 [-]\n"
          " cmuexn   = +3000 [-]\n"
          " mue1yp   = +0.90 [-]\n"
          " cmueyp   = +4000 [-]\n"
          " mue1yn   = +0.88 [-]\n"
          " cmueyn   = +4000 [-]\n"
          " mueFz    = +2.0e-05 [-]\n"
          " vslide   = +20 [mm/s]\n"
          "[TWGpar4] number = 4, object = other\n"
          " pin      = +0.2 [N/mm^2]\n"
          " Fzbar    = +4000 [N]\n"
          " MzScaleP = +1.0 [N] designbounds +0.5 +1.5\n"
          " MzScaleN = +1.0 [N]\n"
          "[TWGpar5] number = 9, object = contact\n"
          " cR       = +250 [N/mm]\n"
          " R        = +310 [mm]\n"
          " Ry       = +110 [mm]\n"
       << " ni       = " << ni << " [-]\n"
       << " nj       = " << nj << " [-]\n"
       << " ny       = 6 [-]\n"
       << " sliding  = " << sliding << " [-]\n"
       << " pressure = " << pressure << " [-]\n"
       << " draw3d   = 0 [-]\n"
       << "[TWGmodel]\n"
       << " model    = " << model << " [-]\n"
       << "[Eof]\n";
  return text.str();
}

std::string measurementFileText(int lines) {
  // slip [-], slip angle [deg], camber [deg], Fx [N], Fy [N], Fz [N], Mz [N*mm]
  static constexpr const char* kLines[] = {
      " +0.00 -4.0 +0.0 -20.0 -2500.0 +3000.0 +30000.0\n",
      " +0.05 +0.0 +1.0 +1500.0 +10.0 +4000.0 -500.0\n",
      " -0.10 +2.0 -2.0 -2800.0 +1200.0 +5000.0 -15000.0\n",
  };
  std::string text;
  for (int k = 0; k < lines; ++k) text += kLines[k % 3];
  return text;
}

std::string withoutPaths(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c == '/') c = '_';
  return result;
}

}  // namespace grip::fuzz

