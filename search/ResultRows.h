#pragma once
#include <array>
#include <string>
#include <string_view>

#include "directory/AreaDirectory.h"
#include "directory/Numbers.h"
#include "directory/PrefList.h"

namespace telvara {

inline constexpr std::u16string_view kOldNameMark = u"(旧)";
inline constexpr int kColumnCount = 6;

// The six cells of a result row for slot i, in column order
// No, 局番, 都道府県, 対象区域, 旧, CD. `counter` is the number of rows added
// before this one; withCd is false for a prefecture listing.
std::array<std::u16string, kColumnCount> ResultRowTexts(const AreaDirectory& dir, const PrefList& prefs,
                                                        int i, int counter, bool withCd);

// A row as Copy puts it on the clipboard: its No, 局番, 都道府県 and 対象区域
// cells as shown, joined by tabs, as one line without a line end. The two
// narrow columns no one can see stay out.
std::u16string CopyLine(const std::array<std::u16string_view, kColumnCount>& cells);

// "<count> 件"
std::u16string CountLineText(int count);

}  // namespace telvara
