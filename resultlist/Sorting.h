#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace telvara {

struct ColumnSpec {
  std::u16string_view header;
  int widthTwips;
  int alignment;  // 0 left, 2 centre
};

// The result list's six columns, in cell order.
inline constexpr std::array<ColumnSpec, 6> kColumns = {{
    {u"No", 600, 0},
    {u"局番", 900, 0},
    {u"都道府県", 1200, 0},
    {u"対象区域", 32000, 0},
    {u"旧", 5, 2},
    {u"CD", 5, 2},
}};

struct SortChoice {
  int key;    // column whose text orders the rows
  int order;  // 0 ascending, 1 descending
};

// The column a header click sorts by. "都道府県" sorts by the CD column, so
// prefectures come in list order; "CD" (and anything unknown) sorts nothing.
std::optional<int> SortKeyForHeader(std::u16string_view header);

// Header-click counting: each key keeps its own count for the life of the
// window; an odd count sorts descending, an even one ascending.
class HeaderSort {
 public:
  std::optional<SortChoice> Click(std::u16string_view header);
  int32_t Count(int key) const { return HeaderClickCount.at(static_cast<size_t>(key)); }

 private:
  std::array<int32_t, 8> HeaderClickCount{};
};

}  // namespace telvara
