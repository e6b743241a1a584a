#include "MeasurementLine.h"

#include "NumberText.h"

namespace grip {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

MeasurementLineKind readMeasurementLine(std::string_view line, std::array<double, kPointNumbers>& values) {
  const char* text = line.data();
  const char* end = line.data() + line.size();
  // parseReal and the test for a comma behind each number, rather than
  // readNumber: the loop is the hot part of reading a measurement file.
  for (std::size_t k = 0; k < kPointNumbers; ++k) {
    if (!parseReal(text, end, values[k])) {
      while (text < end && isSpace(*text)) ++text;
      return k == 0 && text == end ? MeasurementLineKind::blank : MeasurementLineKind::fewerNumbers;
    }
    if (atDecimalComma(text, end)) return MeasurementLineKind::decimalComma;
  }
  while (text < end && isSpace(*text)) ++text;
  if (text == end) return MeasurementLineKind::point;
  double eighth = 0.0;
  switch (readNumber(text, end, eighth)) {
    case NumberRead::ok:
      return MeasurementLineKind::moreNumbers;
    case NumberRead::decimalComma:
      return MeasurementLineKind::decimalComma;
    case NumberRead::noNumber:
      break;
  }
  return MeasurementLineKind::trailingText;
}

}  // namespace grip
