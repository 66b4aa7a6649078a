#include <gtest/gtest.h>

#include <set>

#include "directory/AreaDirectory.h"
#include "directory/PrefList.h"

using namespace telvara;

namespace {
const std::set<int> kHoles = {659, 892, 1789, 1791};

bool SlotEmpty(const AreaDirectory& d, int i) {
  return d.Code(i).empty() && d.Pref(i).empty() && d.Area(i).empty() && d.Cd(i).empty();
}
}  // namespace

TEST(DirectoryStore, BeforeLoadingEverySlotIsEmptyAndLastIndexIsZero) {
  DirectoryStore store;
  EXPECT_EQ(store.LastIndex, 0);
  for (int i = 0; i < kSlotCount; ++i) ASSERT_TRUE(SlotEmpty(store.Directory, i)) << i;
}

TEST(DirectoryStore, IndexRangeIsZeroTo1850) {
  DirectoryStore store;
  store.LoadAll();
  EXPECT_NO_THROW(store.Directory.Code(1850));
  EXPECT_TRUE(store.Directory.Area(1850).empty());
  EXPECT_THROW(store.Directory.Code(1851), std::out_of_range);
  EXPECT_THROW(store.Directory.Pref(-1), std::out_of_range);
}

TEST(DirectoryStore, LoadingFillsExactlyTheUsedSlotsAndSetsLastIndex) {
  DirectoryStore store;
  store.LoadAll();
  EXPECT_EQ(store.LastIndex, 1816);
  int filled = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    const bool empty = SlotEmpty(store.Directory, i);
    if (i > 1816 || kHoles.count(i)) {
      EXPECT_TRUE(empty) << "slot " << i << " must stay empty";
      EXPECT_EQ(store.Directory.CdValue(i), 0);
    } else {
      EXPECT_FALSE(empty) << "slot " << i << " must hold a row";
      ++filled;
    }
  }
  EXPECT_EQ(filled, 1813);
}

TEST(DirectoryStore, EachLoaderWritesOnlyItsOwnSlots) {
  struct Step {
    void (DirectoryStore::*loader)();
    int first, last;
  };
  const Step steps[] = {{&DirectoryStore::LoadAreaTable1, 0, 500},
                        {&DirectoryStore::LoadAreaTable2, 501, 1000},
                        {&DirectoryStore::LoadAreaTable3, 1001, 1500},
                        {&DirectoryStore::LoadAreaTable4, 1501, 1771},
                        {&DirectoryStore::LoadServiceNumbers, 1772, 1816}};
  for (const Step& step : steps) {
    DirectoryStore store;
    (store.*step.loader)();
    for (int i = 0; i < kSlotCount; ++i) {
      const bool inside = i >= step.first && i <= step.last && !kHoles.count(i);
      ASSERT_EQ(!SlotEmpty(store.Directory, i), inside) << "slot " << i << " after loader for " << step.first;
    }
    EXPECT_EQ(store.LastIndex, step.first == 1772 ? 1816 : 0);
  }
}

TEST(DirectoryStore, ReloadingChangesNothing) {
  DirectoryStore once, twice;
  once.LoadAll();
  twice.LoadAll();
  twice.LoadAll();
  EXPECT_EQ(twice.LastIndex, 1816);
  for (int i = 0; i < kSlotCount; ++i) {
    ASSERT_EQ(once.Directory.Code(i), twice.Directory.Code(i));
    ASSERT_EQ(once.Directory.Area(i), twice.Directory.Area(i));
    ASSERT_EQ(once.Directory.Pref(i), twice.Directory.Pref(i));
    ASSERT_EQ(once.Directory.Cd(i), twice.Directory.Cd(i));
  }
}

TEST(ServiceNumbers, AllFortyThreeRowsAreExact) {
  // Written with explicit code points where the form matters.
  struct Expected {
    int index;
    std::u16string_view code, area;
  };
  const Expected rows[] = {
      {1772, u"110", u"警察"}, {1773, u"117", u"時報"}, {1774, u"177", u"天気予報"},
      {1775, u"104", u"電話番号案内"}, {1776, u"106", u"コレクトコール\u0028オペレータ扱い\u0029"},
      {1777, u"115", u"電報"}, {1778, u"171", u"災害用伝言ダイヤル"}, {1779, u"100", u"通話料金"},
      {1780, u"108", u"自動コレクトコール"}, {1781, u"113", u"電話の故障"}, {1782, u"114", u"お話し中調べ"},
      {1783, u"116", u"電話の新設\u30fb移転\u30fb各種相談"},
      {1784, u"118", u"海上の事件\u30fb事故の通報\u0028海上保安庁\u0029"},
      {1785, u"119", u"火事\u30fb救助\u30fb救急車"}, {1786, u"184", u"非通知サービス"},
      {1787, u"186", u"通知サービス"}, {1788, u"0990", u"ダイヤル\uff31\uff12"}, {1790, u"050", u"\uff29\uff30電話"},
      {1792, u"0120", u"フリーアクセス\u002fフリーダイヤル等"}, {1793, u"0170", u"伝言ダイヤル"},
      {1794, u"0180", u"テレゴング\uff0fテレドーム\uff0fデータドーム"},
      {1795, u"0190", u"エンジェルライン\uff0fあんないジョーズ"},
      {1796, u"0570", u"ナビアクセス\uff0f\u0041\u0050ナビ\uff0fナビダイヤル"}, {1797, u"0800", u"フリーアクセス等"},
      {1798, u"0910", u"公専接続"}, {1799, u"010", u"国際通話"}, {1800, u"020", u"ポケベル"},
      {1801, u"060", u"\u0055\u0050\u0054\uff08\u0065コール\uff09"}, {1802, u"070", u"\uff30\uff28\uff33"},
      {1803, u"080", u"携帯電話"}, {1804, u"090", u"携帯電話"}, {1805, u"125", u"でんわ会議"},
      {1806, u"134", u"ダイヤル\u0051\u0032パスワード"}, {1807, u"135", u"特定番号通知機能"},
      {1808, u"136", u"ナンバーアナウンス"}, {1809, u"141", u"でんわばん\u3001二重番号サービス"},
      {1810, u"142", u"ボイスワープ"}, {1811, u"144", u"迷惑電話おことわりサービス"},
      {1812, u"145", u"キャッチホン\u0032"}, {1813, u"146", u"キャッチホン\u0032"},
      {1814, u"147", u"ボイスワープセレクト\u3001なりわけサービス"}, {1815, u"148", u"ナンバーリクエスト"},
      {1816, u"159", u"あいたらお知らせ"},
  };
  ASSERT_EQ(std::size(rows), 43u);
  DirectoryStore store;
  store.LoadServiceNumbers();
  for (const Expected& e : rows) {
    EXPECT_EQ(store.Directory.Code(e.index), e.code) << e.index;
    EXPECT_EQ(store.Directory.Area(e.index), e.area) << e.index;
    EXPECT_EQ(store.Directory.Pref(e.index), u"\u5171\u0020\u0020\u901a") << e.index;
    EXPECT_EQ(store.Directory.Cd(e.index), u"0") << e.index;
  }
  EXPECT_EQ(ServiceRows().size(), 43u);
}

TEST(PrefList, SlotsNumbersAndFilterChoices) {
  PrefList prefs;
  prefs.Fill();
  EXPECT_TRUE(prefs[0].empty());
  EXPECT_EQ(prefs[1], u"北海道");
  EXPECT_EQ(prefs[13], u"東京都");
  EXPECT_EQ(prefs[47], u"沖縄県");
  EXPECT_EQ(prefs[48], u"\u5171\u0020\u0020\u901a");
  EXPECT_TRUE(prefs[49].empty());
  EXPECT_TRUE(prefs[50].empty());
  EXPECT_THROW(prefs[51], std::out_of_range);
  EXPECT_EQ(prefs.Number(u"共  通"), 48);
  EXPECT_EQ(prefs.Number(u"共通"), 0);
  EXPECT_EQ(prefs.Number(u""), 0);

  const auto items = FilterChoices(prefs);
  EXPECT_EQ(items.front(), u"\u5168\u0020\u0020\u56fd");
  EXPECT_EQ(items.back(), u"全  国");
  EXPECT_EQ(items[1], u"北海道");
  EXPECT_EQ(items[47], u"沖縄県");
  EXPECT_EQ(items[48], u"共  通");
  // No choice is part of another prefecture's name, so the listing's
  // substring test selects exactly one prefecture.
  for (int a = 1; a <= 48; ++a)
    for (int b = 1; b <= 48; ++b)
      if (a != b) {
        EXPECT_EQ(prefs[b].find(prefs[a]), std::u16string_view::npos) << a << " in " << b;
      }
}
