// Checks of the regional rows: the layout they must fill, and — from the public
// municipality and merger lists, read at test time — that every municipality
// of November 2005 is covered and every name a row uses really existed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

#include "directory/AreaDirectory.h"
#include "directory/PrefList.h"

using namespace telvara;

namespace {

std::string Utf8(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

struct Block {
  int first, last, rows, codes, ones, twos;
};
// Per prefecture 1..47: first and last slot, rows, distinct codes, rows with change code 1 and 2.
const Block kBlocks[47] = {
    {0, 150, 151, 82, 8, 8},       {151, 172, 22, 8, 0, 0},      {173, 205, 33, 8, 3, 4},
    {206, 237, 32, 8, 3, 4},       {238, 265, 28, 7, 4, 4},      {266, 288, 23, 6, 0, 0},
    {289, 322, 34, 9, 1, 2},       {323, 384, 62, 11, 12, 13},   {385, 420, 36, 10, 3, 5},
    {421, 452, 32, 8, 1, 1},       {453, 516, 64, 10, 4, 6},     {517, 568, 52, 11, 2, 4},
    {569, 618, 50, 11, 0, 0},      {619, 648, 30, 9, 0, 0},      {649, 705, 56, 11, 7, 13},
    {706, 722, 17, 4, 1, 1},       {723, 742, 20, 4, 1, 1},      {743, 761, 19, 5, 1, 1},
    {762, 786, 25, 8, 4, 4},       {787, 828, 42, 11, 2, 4},     {829, 873, 45, 14, 3, 4},
    {874, 923, 49, 16, 5, 7},      {924, 983, 60, 16, 2, 4},     {984, 1026, 43, 14, 6, 6},
    {1027, 1046, 20, 4, 1, 1},     {1047, 1075, 29, 8, 3, 3},    {1076, 1125, 50, 8, 0, 1},
    {1126, 1187, 62, 15, 8, 9},    {1188, 1218, 31, 14, 1, 1},   {1219, 1238, 20, 6, 2, 2},
    {1239, 1252, 14, 3, 2, 2},     {1253, 1280, 28, 7, 4, 4},    {1281, 1330, 50, 9, 9, 10},
    {1331, 1387, 57, 20, 11, 14},  {1388, 1429, 42, 14, 7, 8},   {1430, 1444, 15, 5, 0, 0},
    {1445, 1461, 17, 5, 1, 1},     {1462, 1488, 27, 8, 2, 5},    {1489, 1517, 29, 5, 3, 3},
    {1518, 1571, 54, 14, 3, 3},    {1572, 1592, 21, 4, 2, 2},    {1593, 1619, 27, 7, 2, 2},
    {1620, 1658, 39, 8, 5, 7},     {1659, 1688, 30, 7, 3, 3},    {1689, 1709, 21, 6, 0, 0},
    {1710, 1750, 41, 10, 5, 7},    {1751, 1771, 21, 3, 3, 3},
};

class RegionalTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefs_ = new PrefList;
    prefs_->Fill();
  }
  static void TearDownTestSuite() {
    delete prefs_;
  }
  const AreaDirectory& dir() const { return LoadedStore().Directory; }
  static bool Hole(int i) { return i == 659 || i == 892; }
  static PrefList* prefs_;
};
PrefList* RegionalTable::prefs_ = nullptr;

TEST_F(RegionalTable, BlocksMatchTheirCounts) {
  EXPECT_EQ(RegionalRows().size(), 1770u);
  for (int p = 1; p <= 47; ++p) {
    const Block& b = kBlocks[p - 1];
    int rows = 0, ones = 0, twos = 0;
    std::set<std::u16string_view> codes;
    for (int i = b.first; i <= b.last; ++i) {
      if (Hole(i)) continue;
      ++rows;
      EXPECT_EQ(dir().Pref(i), (*prefs_)[p]) << "slot " << i;
      codes.insert(dir().Code(i));
      ones += dir().Cd(i) == u"1";
      twos += dir().Cd(i) == u"2";
    }
    EXPECT_EQ(rows, b.rows) << Utf8((*prefs_)[p]);
    EXPECT_EQ(static_cast<int>(codes.size()), b.codes) << Utf8((*prefs_)[p]);
    EXPECT_EQ(ones, b.ones) << Utf8((*prefs_)[p]);
    EXPECT_EQ(twos, b.twos) << Utf8((*prefs_)[p]);
    if (p < 47) {
      EXPECT_EQ(b.last + 1, kBlocks[p].first);
    }
  }
  EXPECT_TRUE(dir().Code(659).empty() && dir().Area(659).empty());
  EXPECT_TRUE(dir().Code(892).empty() && dir().Area(892).empty());
}

TEST_F(RegionalTable, CodesTextsAndChangeCodesHaveTheirForm) {
  std::map<size_t, std::set<std::u16string_view>> distinct;
  std::map<size_t, int> rowsByLength;
  std::map<std::u16string_view, std::set<std::u16string_view>> prefsOfCode;
  int zeros = 0, foreign = 0, foreignGunma = 0, spaced = 0;
  for (int i = 0; i <= 1771; ++i) {
    if (Hole(i)) continue;
    const auto code = dir().Code(i);
    const auto area = dir().Area(i);
    ASSERT_GE(code.size(), 2u) << i;
    EXPECT_EQ(code[0], u'0') << i;
    for (char16_t c : code) EXPECT_TRUE(c >= u'0' && c <= u'9') << i;
    distinct[code.size()].insert(code);
    ++rowsByLength[code.size()];
    prefsOfCode[code].insert(dir().Pref(i));
    EXPECT_GE(area.size(), 2u) << i;
    EXPECT_LE(area.size(), 365u) << i;
    for (char16_t c : area) {
      EXPECT_TRUE(c != u'\uFF08' && c != u'\uFF09' && c != u'\u30FB' && c != u'\t' && c != u'\u3000')
          << "slot " << i << ": " << Utf8(area);
    }
    spaced += area.find(u' ') != std::u16string_view::npos;
    zeros += dir().Cd(i) == u"0";
    for (int p = 1; p <= 47; ++p) {
      if ((*prefs_)[p] != dir().Pref(i) && area.starts_with((*prefs_)[p])) {
        ++foreign;
        foreignGunma += dir().Pref(i) == u"群馬県";
      }
    }
  }
  EXPECT_EQ(zeros, 1433);
  const std::map<size_t, size_t> wantDistinct = {{2, 3}, {3, 47}, {4, 294}, {5, 106}, {6, 8}};
  const std::map<size_t, int> wantRows = {{2, 19}, {3, 340}, {4, 1251}, {5, 147}, {6, 13}};
  for (auto [length, n] : wantDistinct) EXPECT_EQ(distinct[length].size(), n) << length << " digits";
  for (auto [length, n] : wantRows) EXPECT_EQ(rowsByLength[length], n) << length << " digits";
  int shared = 0;
  for (const auto& [code, prefs] : prefsOfCode) shared += prefs.size() > 1;
  EXPECT_EQ(shared, 30);
  EXPECT_EQ(prefsOfCode[u"042"].size(), 3u);
  // The list files four areas under a neighbour's block (three in 群馬県, one in
  // 東京都); ours holds the two it quotes, and the others are not known well
  // enough to write. Any row of that form must be one of the four.
  EXPECT_GE(foreign, 2);
  EXPECT_LE(foreign, 4);
  EXPECT_GE(foreignGunma, 1);
  EXPECT_LE(foreignGunma, 3);
  std::cout << "[ facts ] rows naming another prefecture: " << foreign << " (" << foreignGunma
            << " in 群馬県)\n";
  EXPECT_LE(spaced, 1);
}

TEST_F(RegionalTable, ChangeCodesStandInTheirArrangement) {
  int single = 0, doubled = 0, before = 0, alone = 0;
  auto is = [&](int i, std::u16string_view cd) { return i >= 0 && i <= 1771 && !Hole(i) && dir().Cd(i) == cd; };
  auto sameCode = [&](int a, int b) { return dir().Code(a) == dir().Code(b); };
  // Neighbours skip the holes, which lie inside runs.
  auto next = [&](int i) { return Hole(i + 1) ? i + 2 : i + 1; };
  auto prev = [&](int i) { return Hole(i - 1) ? i - 2 : i - 1; };
  for (int i = 0; i <= 1771; ++i) {
    if (Hole(i)) continue;
    if (is(i, u"1")) {
      const int n1 = next(i), n2 = next(n1);
      ASSERT_TRUE(is(n1, u"2") && sameCode(i, n1)) << "change code 1 at " << i << " needs a 2 after it";
      if (is(n2, u"2") && sameCode(i, n2))
        ++doubled;
      else
        ++single;
    }
    if (is(i, u"2")) {
      const int p1 = prev(i), p2 = p1 >= 0 ? prev(p1) : -1;
      const bool after = (is(p1, u"1") && sameCode(i, p1)) || (is(p1, u"2") && is(p2, u"1") && sameCode(i, p2));
      if (after) continue;
      if (is(next(i), u"1") && sameCode(i, next(i)))
        ++before;
      else
        ++alone;
    }
  }
  EXPECT_EQ(single + doubled, 150);
  EXPECT_EQ(doubled, 2);
  EXPECT_EQ(before, 8);
  EXPECT_EQ(alone, 27);
}

// Texts that the list is known to carry, with every prefecture and code each
// stands under, and its change code where the list's own is known (empty where
// the row is ours). A text that moves, doubles or disappears shows up here
// before a user meets it.
struct Place {
  std::u16string_view pref, code, cd;
};
struct KnownText {
  const char16_t* area;
  std::vector<Place> places;
};

class KnownTexts : public RegionalTable, public ::testing::WithParamInterface<KnownText> {};

TEST_P(KnownTexts, StandWhereTheListPutsThem) {
  const KnownText& want = GetParam();
  std::multiset<std::pair<std::u16string_view, std::u16string_view>> got, wanted;
  std::set<std::tuple<std::u16string_view, std::u16string_view, std::u16string_view>> withCd;
  for (int i = 0; i <= 1771; ++i) {
    if (Hole(i) || dir().Area(i) != want.area) continue;
    got.emplace(dir().Pref(i), dir().Code(i));
    withCd.emplace(dir().Pref(i), dir().Code(i), dir().Cd(i));
  }
  for (const Place& p : want.places) {
    wanted.emplace(p.pref, p.code);
    if (!p.cd.empty()) {
      EXPECT_TRUE(withCd.contains({p.pref, p.code, p.cd}))
          << Utf8(want.area) << " under " << Utf8(p.code) << " with change code " << Utf8(p.cd);
    }
  }
  EXPECT_EQ(got, wanted) << Utf8(want.area);
}

INSTANTIATE_TEST_SUITE_P(
    ListFacts, KnownTexts,
    ::testing::Values(
        // The same text under two prefectures, and under two codes.
        KnownText{u"中郡", {{u"神奈川県", u"0463", u""}, {u"京都府", u"0772", u""}}},
        KnownText{u"北見市", {{u"北海道", u"0152", u""}, {u"北海道", u"0157", u""}}},
        // The new 庄原市 under each of the four codes that served its parts
        // (and the old city under its own code).
        KnownText{u"庄原市",
                  {{u"広島県", u"08247", u""},
                   {u"広島県", u"082485", u"1"},
                   {u"広島県", u"082486", u"1"},
                   {u"広島県", u"082488", u"1"},
                   {u"広島県", u"08477", u"1"}}},
        // The old and the new 花巻市 side by side.
        KnownText{u"花巻市", {{u"岩手県", u"0198", u"0"}, {u"岩手県", u"0198", u"1"}}},
        KnownText{u"蕨市", {{u"埼玉県", u"048", u""}}},
        // 06 reaches into 八尾市 only at 竹渕; the rest of the city dials 0729.
        KnownText{u"八尾市(竹渕、竹渕西、竹渕東)", {{u"大阪府", u"06", u""}}},
        KnownText{u"八尾市(竹渕、竹渕西、竹渕東)を除く", {{u"大阪府", u"0729", u""}}}));

TEST_F(RegionalTable, ShortestTextsHaveTwoCharacters) {
  std::set<std::u16string_view> shortest;
  size_t least = SIZE_MAX;
  for (int i = 0; i <= 1771; ++i) {
    if (Hole(i)) continue;
    const auto area = dir().Area(i);
    if (area.size() < least) shortest.clear(), least = area.size();
    if (area.size() == least) shortest.insert(area);
  }
  EXPECT_EQ(least, 2u);
  EXPECT_TRUE(shortest.contains(u"蕨市"));
  EXPECT_TRUE(shortest.contains(u"中郡"));
}

// ---- Against the reference files -------------------------------------------

const std::filesystem::path kData = TELVARA_REFERENCE_DATA;

std::vector<std::vector<std::string>> ReadTable(const std::string& name, char sep) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(kData / name);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream ls(line);
    while (std::getline(ls, field, sep)) fields.push_back(field);
    if (!line.empty() && line.back() == sep) fields.emplace_back();
    rows.push_back(fields);
  }
  return rows;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

#define REQUIRE_REFERENCE(file)                                                                     \
  if (!std::filesystem::exists(kData / file))                                                       \
  GTEST_SKIP() << "reference file " << (kData / file) << " is absent; the data checks need it"

TEST_F(RegionalTable, SlotsAndQuotedRowsMatchTheDocument) {
  REQUIRE_REFERENCE("regional_slots.tsv");
  int quoted = 0;
  for (const auto& f : ReadTable("regional_slots.tsv", '\t')) {
    const int i = std::stoi(f.at(0));
    EXPECT_EQ(Utf8(dir().Code(i)), f.at(1)) << "slot " << i;
    EXPECT_EQ(Utf8(dir().Pref(i)), f.at(2)) << "slot " << i;
    if (f.size() > 3 && !f[3].empty()) {
      ++quoted;
      EXPECT_EQ(Utf8(dir().Area(i)), f[3]) << "slot " << i;
      if (f.size() > 4 && !f[4].empty()) {
        EXPECT_EQ(Utf8(dir().Cd(i)), f[4]) << "slot " << i;
      }
    }
  }
  EXPECT_EQ(quoted, 82);
}

// Municipality names known from the reference lists, with their 郡.
struct Reference {
  using Name = std::pair<std::string, std::string>;  // 郡 (or empty), municipality
  std::map<std::string, std::set<Name>> current;    // by prefecture, on 2005-11-01
  std::map<std::string, std::set<Name>> known;      // valid at some time 2002-2006
  std::map<std::string, std::set<std::string>> guns;
  std::map<std::string, std::map<Name, std::set<Name>>> formedFrom;  // mergers 2003 to 2005-11-01
  std::set<std::string> wards23;

  Reference() {
    // A name can stand in two 郡 (泊村): the file lists them in municipality-code order.
    std::map<std::string, std::vector<std::string>> hokkaidoGun;
    for (const auto& f : ReadTable("hokkaido_gun.tsv", '\t'))
      if (f.size() >= 2) hokkaidoGun[f[0]].push_back(f[1]);
    for (const auto& f : ReadTable("municipalities_2005-11-01.csv", ',')) {
      if (f.size() < 3) continue;
      // The six villages of the northern islands have no telephone service.
      if (f[0] >= "01695" && f[0] <= "01700") continue;
      const std::string& p = f[1];
      std::string d = f[2];
      const std::string n = f.size() > 3 ? f[3] : "";
      if (n.empty()) {
        if (EndsWith(d, "市")) current[p].insert({"", d}), known[p].insert({"", d});
        continue;
      }
      if (EndsWith(d, "市")) continue;  // a ward of a designated city
      if (p == "東京都" && d.empty() && (EndsWith(n, "区") || n == "特別区部")) {
        wards23.insert(n);
        continue;
      }
      if (EndsWith(d, "支庁")) {
        auto& gun = hokkaidoGun[n];
        d = gun.empty() ? "" : gun.front();
        if (gun.size() > 1) gun.erase(gun.begin());
      }
      const std::string g = EndsWith(d, "郡") ? d : "";
      current[p].insert({g, n});
      known[p].insert({g, n});
      if (!g.empty()) guns[p].insert(g);
    }
    for (const auto& f : ReadTable("estat_changes_2000_2010.csv", ',')) {
      if (f.size() < 15) continue;
      const std::string& date = f[0];
      const std::string fg = EndsWith(f[5], "郡") ? f[5] : "", tg = EndsWith(f[12], "郡") ? f[12] : "";
      if (date >= "2002-01-01" && date <= "2006-12-31") {
        if (!f[7].empty()) known[f[4]].insert({fg, f[7]});
        if (!f[14].empty()) known[f[11]].insert({tg, f[14]});
        if (!fg.empty()) guns[f[4]].insert(fg);
        if (!tg.empty()) guns[f[11]].insert(tg);
      }
      const bool renames = f[1] == "市制施行" || f[1] == "名称変更";
      if ((f[1] == "新設合併" || f[1] == "編入合併" || renames) && date >= "2003-01-01" && date <= "2005-11-01" &&
          !f[7].empty() && !f[14].empty()) {
        formedFrom[f[11]][{tg, f[14]}].insert({fg, f[7]});
        // After an absorption the absorbing municipality must be named itself.
        if (f[1] == "編入合併") formedFrom[f[11]][{tg, f[14]}].insert({tg, f[14]});
      }
    }
    for (const auto& f : ReadTable("mergers_japanpost.tsv", '\t')) {
      if (f.size() < 4 || f[3] > "2006-12-31") continue;
      for (std::string name : {f[1], f[2]}) {
        name = name.substr(0, name.find("（"));
        const auto gun = name.find("郡");
        if (gun != std::string::npos && !EndsWith(name, "郡")) {
          known[f[0]].insert({name.substr(0, gun + 3), name.substr(gun + 3)});
          guns[f[0]].insert(name.substr(0, gun + 3));
        } else {
          known[f[0]].insert({"", name});
        }
      }
    }
  }
};

// What one area text names: municipalities (whole or in part) and whole 郡.
struct Named {
  std::set<Reference::Name> places;
  std::set<std::string> wholeGuns;
  std::vector<std::string> unknown;
};

void ParseArea(const Reference& ref, const std::string& pref, std::string text, Named& out) {
  const auto& gunset = ref.guns.count(pref) ? ref.guns.at(pref) : std::set<std::string>{};
  std::map<std::string, std::set<std::string>> names;  // name -> its 郡 forms
  if (ref.known.count(pref))
    for (const auto& [g, n] : ref.known.at(pref)) names[n].insert(g);
  auto strip = [](std::string s) {
    if (EndsWith(s, "を除く")) s.resize(s.size() - std::string("を除く").size());
    return s;
  };
  auto splitTop = [](const std::string& s) {
    std::vector<std::string> items(1);
    int depth = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '(') ++depth;
      if (s[i] == ')') --depth;
      if (depth == 0 && s.compare(i, 3, "、") == 0) {
        items.emplace_back();
        i += 2;
        continue;
      }
      items.back() += s[i];
    }
    return items;
  };
  auto longest = [](const std::string& s, auto&& candidates) {
    std::string best;
    for (const auto& c : candidates) {
      const std::string& name = c;
      if (name.size() > best.size() && s.compare(0, name.size(), name) == 0) best = name;
    }
    return best;
  };
  std::vector<std::string> nameKeys;
  for (const auto& [n, g] : names) nameKeys.push_back(n);
  std::function<void(std::string, const std::string&)> item = [&](std::string s, const std::string& gun) {
    s = strip(s);
    if (s.empty()) return;
    if (gun.empty()) {
      const std::string g = longest(s, gunset), n = longest(s, nameKeys);
      if (!g.empty() && g.size() >= n.size()) {
        std::string rest = s.substr(g.size());
        if (rest.empty()) {
          out.wholeGuns.insert(g);
        } else if (rest[0] == '(') {
          int depth = 0;
          size_t close = rest.size();
          for (size_t i = 0; i < rest.size(); ++i) {
            depth += rest[i] == '(' ? 1 : rest[i] == ')' ? -1 : 0;
            if (depth == 0) {
              close = i;
              break;
            }
          }
          for (const auto& it : splitTop(rest.substr(1, close - 1))) item(it, g);
        } else {
          item(rest, g);
        }
        return;
      }
    }
    const std::string n = longest(s, nameKeys);
    if (n.empty()) {
      out.unknown.push_back(gun + s);
      return;
    }
    out.places.insert({gun, n});
  };
  for (const auto& it : splitTop(text)) item(it, "");
}

TEST_F(RegionalTable, EveryMunicipalityIsCoveredAndEveryNameExisted) {
  REQUIRE_REFERENCE("municipalities_2005-11-01.csv");
  REQUIRE_REFERENCE("estat_changes_2000_2010.csv");
  REQUIRE_REFERENCE("mergers_japanpost.tsv");
  REQUIRE_REFERENCE("hokkaido_gun.tsv");
  const Reference ref;
  std::map<std::string, Named> byPref;  // what the rows name, by the prefecture named
  int unknownNames = 0;
  for (int i = 0; i <= 1771; ++i) {
    if (Hole(i)) continue;
    std::string text = Utf8(dir().Area(i));
    std::string pref = Utf8(dir().Pref(i));
    for (int p = 1; p <= 47; ++p) {
      const std::string other = Utf8((*prefs_)[p]);
      if (text.compare(0, other.size(), other) == 0) {
        pref = other;
        text = text.substr(other.size());
        break;
      }
    }
    if (text.starts_with("内") && pref == "東京都") {  // 東京都内２３区
      for (const auto& w : ref.wards23) byPref[pref].places.insert({"", w});
      continue;
    }
    Named& named = byPref[pref];
    const size_t before = named.unknown.size();
    ParseArea(ref, pref, text, named);
    for (size_t k = before; k < named.unknown.size(); ++k) {
      ++unknownNames;
      ADD_FAILURE() << "slot " << i << ": no municipality of 2002-2006 starts \"" << named.unknown[k] << "\"";
    }
  }
  int total = 0, covered = 0;
  for (const auto& [pref, municipalities] : ref.current) {
    const Named& named = byPref[pref];
    std::function<bool(const Reference::Name&, int)> isCovered = [&](const Reference::Name& m, int depth) {
      if (named.places.count(m) || (!m.first.empty() && named.wholeGuns.count(m.first))) return true;
      for (const auto& [g, n] : named.places)
        if (n == m.second && (g.empty() || m.first.empty())) return true;
      if (depth > 3 || !ref.formedFrom.count(pref) || !ref.formedFrom.at(pref).count(m)) return false;
      const auto& parts = ref.formedFrom.at(pref).at(m);
      if (parts.count(m)) return false;  // it absorbed others: it must be named itself
      for (const auto& part : parts)
        if (!isCovered(part, depth + 1)) return false;
      return true;
    };
    for (const auto& m : municipalities) {
      ++total;
      if (isCovered(m, 0))
        ++covered;
      else
        ADD_FAILURE() << pref << ": " << m.first << m.second << " is covered by no row";
    }
  }
  std::cout << "[ coverage ] municipalities of 2005-11-01 covered: " << covered << " of " << total
            << "; names not found in the reference lists: " << unknownNames << "\n";
}

}  // namespace
