#pragma once
#include <string_view>

#include "directory/AreaDirectory.h"

namespace telvara {

// The three switches of one search, captured once before the walk (0 or 1).
struct SearchSettings {
  int AllPrefectures = 1;
  int ExactMatch = 0;
  int AreaMode = 0;
};

// Removes leading and trailing U+0020 only; every other space stays.
std::u16string_view TrimSpaces(std::u16string_view text);

// check1Value is the check box value: 1 ticked, 0 clear, 2 grey (grey is partial).
SearchSettings CaptureSettings(std::u16string_view prefChoice, int check1Value, bool areaModeSelected);

// Code-unit substring test. An empty text never contains anything, so empty
// slots never match.
inline bool Occurs(std::u16string_view text, std::u16string_view what) {
  return !text.empty() && text.find(what) != std::u16string_view::npos;
}

// Whether slot i matches the (trimmed, non-empty) query.
inline bool SearchMatches(const AreaDirectory& dir, int i, std::u16string_view query,
                          std::u16string_view prefChoice, const SearchSettings& s) {
  if (!s.AllPrefectures && dir.Pref(i) != prefChoice) return false;
  const std::u16string_view tested = s.AreaMode ? dir.Area(i) : dir.Code(i);
  if (s.ExactMatch) return !tested.empty() && tested == query;
  return Occurs(tested, query);
}

// Walks 0..LastIndex in ascending order (the bound is read once) and calls
// onMatch(i) for every match. No ranking, no de-duplication.
template <class OnMatch>
void WalkSearch(const DirectoryStore& store, std::u16string_view query,
                std::u16string_view prefChoice, const SearchSettings& s, OnMatch&& onMatch) {
  const int last = store.LastIndex;
  for (int i = 0; i <= last; ++i)
    if (SearchMatches(store.Directory, i, query, prefChoice, s)) onMatch(i);
}

// The prefecture listing: every slot whose prefecture contains the choice.
template <class OnMatch>
void WalkListing(const DirectoryStore& store, std::u16string_view prefChoice, OnMatch&& onMatch) {
  const int last = store.LastIndex;
  for (int i = 0; i <= last; ++i)
    if (Occurs(store.Directory.Pref(i), prefChoice)) onMatch(i);
}

}  // namespace telvara
