#include "search/Search.h"

#include "directory/PrefList.h"

namespace telvara {

std::u16string_view TrimSpaces(std::u16string_view text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const auto last = text.find_last_not_of(u' ');
  return text.substr(first, last - first + 1);
}

SearchSettings CaptureSettings(std::u16string_view prefChoice, int check1Value, bool areaModeSelected) {
  SearchSettings s;
  s.AllPrefectures = prefChoice == kWholeCountry ? 1 : 0;
  s.ExactMatch = check1Value == 1 ? 1 : 0;
  s.AreaMode = areaModeSelected ? 1 : 0;
  return s;
}

}  // namespace telvara
