#include "resultlist/Sorting.h"

namespace telvara {

std::optional<int> SortKeyForHeader(std::u16string_view header) {
  if (header == u"No") return 0;
  if (header == u"局番") return 1;
  if (header == u"都道府県") return 5;
  // Each of these sorts by its own column.
  if (header == u"対象区域") return 3;
  if (header == u"旧") return 4;
  return std::nullopt;
}

std::optional<SortChoice> HeaderSort::Click(std::u16string_view header) {
  const auto key = SortKeyForHeader(header);
  if (!key) return std::nullopt;
  auto& count = HeaderClickCount[static_cast<size_t>(*key)];
  // A counter would need two billion clicks to overflow; stop at the top
  // rather than wrap, keeping the last order.
  if (count < INT32_MAX - 1) ++count;
  return SortChoice{*key, count % 2 == 1 ? 1 : 0};
}

}  // namespace telvara
