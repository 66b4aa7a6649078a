#pragma once
#include <cstdint>
#include <string_view>

namespace telvara {

inline constexpr std::u16string_view kHeadingCodeMode = u"検索 (市外局番)";
inline constexpr std::u16string_view kHeadingAreaMode = u"検索 (対象区域名)";
inline constexpr std::u16string_view kEmptyQueryMessage = u"市外局番または対象区域名を入力してください。     ";
inline constexpr std::u16string_view kMessageTitle = u"Telvara";

// Input-method modes of the query box.
inline constexpr int kImeOffLocked = 3;
inline constexpr int kImeHiragana = 4;

// The character filter of the query box: in area-code mode only the digits and
// Backspace get through; anything else becomes 0 (discarded).
int FilterKeyPress(int keyAscii, bool codeMode);

inline constexpr int kKeyEnter = 13;

// Enter in a non-empty box starts the search, whatever modifiers are held.
inline bool EnterStartsSearch(int keyCode, std::size_t textLength) {
  return textLength > 0 && keyCode == kKeyEnter;
}

// About how many undo records a line edit keeps for one edit from `before` to
// `after`: one per character removed or inserted. `selectedBefore` is the
// length of the selection the edit may have replaced; a paste over the whole
// text records it all twice even when the text comes out the same.
std::size_t UndoRecords(std::u16string_view before, std::u16string_view after, std::size_t selectedBefore);

// Undo records the query box may keep before it forgets its history (about
// 20 bytes each). Typing never comes near it; a pasted book does.
inline constexpr std::size_t kUndoBudgetChars = 20000;

}  // namespace telvara
