#pragma once
#include <array>
#include <string_view>

namespace telvara {

inline constexpr std::u16string_view kWholeCountry = u"全  国";  // two ASCII spaces
inline constexpr std::u16string_view kCommon = u"共  通";        // two ASCII spaces
inline constexpr int kPrefSlots = 51;

// Prefecture names by number: slots 1..47 in JIS X 0401 order, 48 the
// nationwide numbers; 0, 49 and 50 stay empty.
class PrefList {
 public:
  void Fill();
  std::u16string_view operator[](int slot) const;  // throws outside 0..50
  // The first slot 1..48 holding exactly this name, or 0.
  int Number(std::u16string_view pref) const;

 private:
  std::array<std::u16string_view, kPrefSlots> slots_{};
};

// The filter's 50 choices in order: whole country, the 48 names, whole country.
std::array<std::u16string_view, 50> FilterChoices(const PrefList& prefs);

}  // namespace telvara
