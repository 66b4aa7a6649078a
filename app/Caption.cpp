#include "app/Caption.h"

#include "directory/Numbers.h"

namespace telvara {
std::u16string ComposeCaption(int major, int minor, int revision) {
  std::u16string caption = u" Telvara (045)    Ver";
  caption += DecimalText(major);
  caption += u".";
  caption += DecimalText(minor);
  caption += DecimalText(revision);
  caption += u"\u3000     2005.11      ";
  caption += std::u16string(20, u' ');
  return caption;
}

}  // namespace telvara
