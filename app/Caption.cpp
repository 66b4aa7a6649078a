#include "app/Caption.h"

namespace telvara {
namespace {
std::u16string Decimal(int n) {
  std::u16string s;
  for (char c : std::to_string(n)) s += static_cast<char16_t>(c);
  return s;
}
}  // namespace

std::u16string ComposeCaption(int major, int minor, int revision) {
  std::u16string caption = u" Telvara (045)    Ver";
  caption += Decimal(major);
  caption += u".";
  caption += Decimal(minor);
  caption += Decimal(revision);
  caption += u"\u3000     2005.11      ";
  caption += std::u16string(20, u' ');
  return caption;
}

}  // namespace telvara
