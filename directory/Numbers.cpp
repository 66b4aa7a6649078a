#include "directory/Numbers.h"

namespace telvara {

int LeadingNumber(std::u16string_view text) {
  int value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    if (value > 100000000) break;  // far beyond any code we hold; never overflows
  }
  return value;
}

std::u16string DecimalText(int n) {
  std::u16string text;
  for (char c : std::to_string(n)) text += static_cast<char16_t>(c);
  return text;
}

std::u16string ZeroPad(int n, int width) {
  std::u16string padded(static_cast<size_t>(width), u'0');
  padded += DecimalText(n);
  return padded.substr(padded.size() - static_cast<size_t>(width));
}

}  // namespace telvara
