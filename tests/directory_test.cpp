#include <gtest/gtest.h>

#include <set>

#include "directory/AreaDirectory.h"
#include "directory/PrefList.h"

using namespace telvara;

namespace {

bool Filled(const AreaDirectory& d, int i) {
  return !d.Code(i).empty() || !d.Pref(i).empty() || !d.Area(i).empty() || !d.Cd(i).empty();
}

struct Loader {
  const char* name;
  void (DirectoryStore::*load)();  // nullptr: nothing loaded yet
  int first, last, lastIndex;
};

class Loaders : public ::testing::TestWithParam<Loader> {};

TEST_P(Loaders, FillExactlyTheirOwnSlotsAroundTheHoles) {
  const Loader& l = GetParam();
  DirectoryStore store;
  if (l.load) (store.*l.load)();
  const std::set<int> holes = {659, 892, 1789, 1791};
  int filled = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    const bool inside = i >= l.first && i <= l.last && !holes.contains(i);
    ASSERT_EQ(Filled(store.Directory, i), inside) << "slot " << i;
    filled += inside;
  }
  EXPECT_EQ(store.LastIndex, l.lastIndex);
  if (l.last == 1816) {
    EXPECT_EQ(filled, l.first == 0 ? 1813 : 43);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, Loaders,
    ::testing::Values(Loader{"none", nullptr, 0, -1, 0}, Loader{"table1", &DirectoryStore::LoadAreaTable1, 0, 500, 0},
                      Loader{"table2", &DirectoryStore::LoadAreaTable2, 501, 1000, 0},
                      Loader{"table3", &DirectoryStore::LoadAreaTable3, 1001, 1500, 0},
                      Loader{"table4", &DirectoryStore::LoadAreaTable4, 1501, 1771, 0},
                      Loader{"services", &DirectoryStore::LoadServiceNumbers, 1772, 1816, 1816},
                      Loader{"all", &DirectoryStore::LoadAll, 0, 1816, 1816}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DirectoryStore, IndicesEndAt1850AndChangeCodesReadAsNumbers) {
  const AreaDirectory& d = LoadedStore().Directory;
  EXPECT_NO_THROW(d.Code(1850));
  EXPECT_THROW(d.Code(kSlotCount), std::out_of_range);
  EXPECT_THROW(d.Pref(-1), std::out_of_range);
  EXPECT_EQ(std::tuple(d.CdValue(45), d.CdValue(44), d.CdValue(1850)), std::tuple(2, 1, 0));  // (旧)山越郡八雲町
}

TEST(ServiceNumbers, FortyThreeUnderTheNationwideGroupInTheirOwnForms) {
  const AreaDirectory& d = LoadedStore().Directory;
  int rows = 0;
  for (int i = 1772; i <= 1816; ++i)
    if (!d.Code(i).empty()) {
      ++rows;
      EXPECT_EQ(std::pair(d.Pref(i), d.Cd(i)), std::pair(std::u16string_view(u"\u5171\u0020\u0020\u901a"), std::u16string_view(u"0"))) << i;
    }
  EXPECT_EQ(rows, 43);
  // Full-width and ASCII letters, brackets and slashes stand as the list has them.
  const std::tuple<int, std::u16string_view, std::u16string_view> forms[] = {
      {1772, u"110", u"警察"}, {1783, u"116", u"電話の新設\u30fb移転\u30fb各種相談"}, {1788, u"0990", u"ダイヤル\uff31\uff12"},
      {1792, u"0120", u"フリーアクセス\u002fフリーダイヤル等"}, {1796, u"0570", u"ナビアクセス\uff0f\u0041\u0050ナビ\uff0fナビダイヤル"},
      {1801, u"060", u"\u0055\u0050\u0054\uff08\u0065コール\uff09"}, {1816, u"159", u"あいたらお知らせ"},
  };
  for (const auto& [i, code, area] : forms) EXPECT_EQ(std::pair(d.Code(i), d.Area(i)), std::pair(code, area)) << i;
}

TEST(PrefList, SlotsNumbersAndFilterChoices) {
  PrefList prefs;
  prefs.Fill();
  const std::tuple<int, std::u16string_view, int> slots[] = {
      {0, u"", 0}, {1, u"北海道", 1}, {13, u"東京都", 13}, {47, u"沖縄県", 47}, {48, u"\u5171\u0020\u0020\u901a", 48}, {49, u"", 0}, {50, u"", 0}};
  for (auto [slot, name, number] : slots) EXPECT_EQ(std::pair(prefs[slot], prefs.Number(name)), std::pair(name, number)) << slot;
  EXPECT_THROW(prefs[51], std::out_of_range);
  EXPECT_EQ(prefs.Number(u"共通"), 0);

  const auto items = FilterChoices(prefs);
  EXPECT_EQ(std::pair(items.front(), items.back()), std::pair(std::u16string_view(u"\u5168\u0020\u0020\u56fd"), kWholeCountry));
  for (int slot = 1; slot <= 48; ++slot) EXPECT_EQ(items[static_cast<size_t>(slot)], prefs[slot]) << slot;
  // No choice is part of another prefecture's name, so the listing's
  // substring test selects exactly one prefecture.
  for (int a = 1; a <= 48; ++a)
    for (int b = 1; b <= 48; ++b) EXPECT_TRUE(a == b || prefs[b].find(prefs[a]) == std::u16string_view::npos) << a << " in " << b;
}

}  // namespace
