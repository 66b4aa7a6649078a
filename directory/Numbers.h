#pragma once
#include <string>
#include <string_view>

namespace telvara {

// The number a text begins with (leading ASCII digits); 0 when there is none.
int LeadingNumber(std::u16string_view text);

// n in plain decimal: no sign for n >= 0, no grouping.
std::u16string DecimalText(int n);

// The last `width` characters of `width` zeros followed by n in decimal.
std::u16string ZeroPad(int n, int width);

}  // namespace telvara
