#pragma once

#include <string>
#include <vector>

#include "core/FormatText.h"

namespace grip::plot {

// formatted(), the text that printf would print for format and the values
// (numbers in the C locale), is the core's grip::formatted.
using grip::formatted;

/// Text as a double-quoted gnuplot string: backslashes and quotes escaped,
/// line ends (which a string cannot hold) shown as blanks.
std::string gnuplotString(const std::string& text);

/// Text as a single-quoted gnuplot string, for file names: a quote doubled.
std::string gnuplotPath(const std::string& path);

/// Lines of text as one double-quoted gnuplot string that breaks between them.
std::string gnuplotLines(const std::vector<std::string>& lines);

/// Text shown as it stands in gnuplot's enhanced text mode: the characters
/// that mark sub- and superscripts and the like are escaped.
std::string literalText(const std::string& text);

/// Names as a sentence lists them: "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& names);

/// A number as gnuplot reads it back exactly enough for a picture.
std::string number(double value);

}  // namespace grip::plot
