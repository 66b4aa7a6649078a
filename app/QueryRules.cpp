#include "app/QueryRules.h"

#include <algorithm>

namespace telvara {

int FilterKeyPress(int keyAscii, bool codeMode) {
  if (!codeMode) return keyAscii;
  if (keyAscii == 8) return keyAscii;
  if (keyAscii >= u'0' && keyAscii <= u'9') return keyAscii;
  return 0;
}

std::size_t UndoRecords(std::u16string_view before, std::u16string_view after, std::size_t selectedBefore) {
  // What changed outside the longest common prefix and suffix.
  const std::size_t shorter = std::min(before.size(), after.size());
  std::size_t prefix = 0;
  while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) ++suffix;
  const std::size_t changed = (before.size() - prefix - suffix) + (after.size() - prefix - suffix);
  // A replaced selection: removed whole, then the new text inserted.
  if (selectedBefore > 0 && selectedBefore <= before.size() && after.size() + selectedBefore >= before.size())
    return std::max(changed, selectedBefore + (after.size() + selectedBefore - before.size()));
  return changed;
}

}  // namespace telvara
