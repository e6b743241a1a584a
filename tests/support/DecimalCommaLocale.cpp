#include "DecimalCommaLocale.h"

#include <cstdio>
#include <cstdlib>

namespace grip::test {

DecimalCommaLocale::DecimalCommaLocale() {
  const std::string command = "localedef -i de_DE -f UTF-8 '" + folder_.file("de_DE.UTF-8") + "' > '" +
                              folder_.file("localedef.txt") + "' 2>&1";
  // localedef exits 1 for warnings about the source; the locale is still written.
  const int status = std::system(command.c_str());
  ::setenv("LOCPATH", folder_.path().c_str(), 1);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    fault_ = "localedef (status " + std::to_string(status) + ") gave no usable de_DE.UTF-8: " +
             folder_.read("localedef.txt");
    return;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 0.5);
  active_ = std::string(text) == "0,5";
  if (!active_) fault_ = std::string("de_DE.UTF-8 writes 0.5 as ") + text;
}

DecimalCommaLocale::~DecimalCommaLocale() {
  std::setlocale(LC_ALL, "C");
  ::unsetenv("LOCPATH");
}

}  // namespace grip::test
