#pragma once

#include <string_view>

namespace velmora {

// The number a text holds. Blanks, tabs and line feeds are ignored wherever they
// stand; an optional sign, digits and one point are read, whatever the locale, up to
// the first character that cannot continue the number. No number reads as 0:
// "16.0.5" -> 16, "12,5" -> 12, "1 2" -> 12, "" -> 0. More digits than a double holds
// read as plus or minus infinity.
double textValue(std::string_view text);

// Nearest whole number, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

} // namespace velmora
