#include "search/ResultRows.h"

namespace telvara {

std::array<std::u16string, kColumnCount> ResultRowTexts(const AreaDirectory& dir, const PrefList& prefs,
                                                        int i, int counter, bool withCd) {
  std::array<std::u16string, kColumnCount> cells;
  cells[0] = ZeroPad(counter + 1, 4);
  cells[1] = dir.Code(i);
  cells[2] = dir.Pref(i);
  if (dir.CdValue(i) == 2) cells[3] = kOldNameMark;
  cells[3] += dir.Area(i);
  if (withCd) {
    if (const int number = prefs.Number(dir.Pref(i)); number != 0) cells[5] = ZeroPad(number, 2);
  }
  return cells;
}

std::u16string CopyLine(const std::array<std::u16string_view, kColumnCount>& cells) {
  std::u16string line;
  for (size_t n = 0; n < 4; ++n) {
    if (n > 0) line += u'\t';
    line += cells[n];
  }
  return line;
}

std::u16string CountLineText(int count) {
  return DecimalText(count) + u" 件";
}

}  // namespace telvara
