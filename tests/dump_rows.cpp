// Writes the prefecture list and every filled slot of the loaded directory as
// UTF-16LE lines for the data checks: "P slot name" and "R slot code pref area cd",
// fields separated by tabs.
#include <cstdio>
#include <string>

#include "directory/AreaDirectory.h"
#include "directory/Numbers.h"
#include "directory/PrefList.h"

int main() {
  using namespace telvara;
  std::u16string out;
  auto line = [&](std::u16string_view tag, int slot, std::initializer_list<std::u16string_view> fields) {
    out += tag;
    out += u'\t' + DecimalText(slot);
    for (std::u16string_view f : fields) (out += u'\t') += f;
    out += u'\n';
  };
  PrefList prefs;
  prefs.Fill();
  for (int p = 1; p <= 48; ++p) line(u"P", p, {prefs[p]});
  const AreaDirectory& d = LoadedStore().Directory;
  for (int i = 0; i < kSlotCount; ++i)
    if (!d.Code(i).empty()) line(u"R", i, {d.Code(i), d.Pref(i), d.Area(i), d.Cd(i)});
  std::fwrite(out.data(), sizeof(char16_t), out.size(), stdout);
}
