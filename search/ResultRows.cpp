#include "search/ResultRows.h"

namespace telvara {

std::u16string ZeroPad(int n, int width) {
  std::u16string digits;
  if (n == 0) digits = u"0";
  for (unsigned v = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n); v; v /= 10)
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
  std::u16string padded(static_cast<size_t>(width), u'0');
  padded += digits;
  return padded.substr(padded.size() - static_cast<size_t>(width));
}

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

std::u16string CountLineText(int count) {
  std::u16string text;
  for (char c : std::to_string(count)) text += static_cast<char16_t>(c);
  return text + u" 件";
}

}  // namespace telvara
