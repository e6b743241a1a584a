#include "Formatted.h"

namespace grip::plot {

std::string gnuplotString(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted.push_back('\\');
    quoted.push_back(c == '\n' || c == '\r' ? ' ' : c);
  }
  quoted.push_back('"');
  return quoted;
}

std::string gnuplotLines(const std::vector<std::string>& lines) {
  std::string quoted;
  for (const std::string& line : lines) {
    const std::string piece = gnuplotString(line);
    if (quoted.empty()) {
      quoted = piece;
    } else {
      quoted.pop_back();
      quoted += "\\n" + piece.substr(1);
    }
  }
  return quoted.empty() ? "\"\"" : quoted;
}

std::string literalText(const std::string& text) {
  std::string literal;
  for (char c : text) {
    if (c == '_' || c == '^' || c == '{' || c == '}' || c == '@' || c == '&' || c == '~') literal.push_back('\\');
    literal.push_back(c);
  }
  return literal;
}

std::string gnuplotPath(const std::string& path) {
  std::string quoted = "'";
  for (char c : path) {
    if (c == '\'') quoted.push_back('\'');
    quoted.push_back(c);
  }
  quoted.push_back('\'');
  return quoted;
}

std::string listed(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k > 0) text += k + 1 == names.size() ? " and " : ", ";
    text += names[k];
  }
  return text;
}

std::string number(double value) { return formatted("%.9g", value); }

}  // namespace grip::plot
