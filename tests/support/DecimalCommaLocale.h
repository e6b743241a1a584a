#pragma once

#include <clocale>
#include <string>

#include "TempDir.h"

namespace grip::test {

/// A German locale, whose numbers have a decimal comma, built with
/// localedef into a temporary folder that LOCPATH names. While an object
/// lives the process's locale is that one (as a host such as Octave or a
/// notebook sets it), afterwards "C" again. active() tells whether it took.
class DecimalCommaLocale {
 public:
  DecimalCommaLocale();
  ~DecimalCommaLocale();
  DecimalCommaLocale(const DecimalCommaLocale&) = delete;
  DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

  bool active() const { return active_; }
  /// What went wrong when the locale did not take.
  const std::string& fault() const { return fault_; }

 private:
  TempDir folder_;
  bool active_ = false;
  std::string fault_;
};

}  // namespace grip::test
