// Number normalisation, the code index, and the text helpers of telvara-lookup.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cli/Lookup.h"
#include "cli/Output.h"
#include "cli/Utf8.h"
#include "directory/PrefList.h"
#include "search/NumberLookup.h"

using namespace telvara;

namespace {

struct NormCase {
  std::u16string_view input;
  std::string_view digits;
  NumberProblem problem;
};

using N = NormCase;
using P = NumberProblem;

class Normalisation : public ::testing::TestWithParam<NormCase> {};

TEST_P(Normalisation, DigitsAndProblem) {
  const NormCase& c = GetParam();
  const NumberAnswer a = NormalizeNumber(c.input);
  EXPECT_EQ(a.problem, c.problem);
  if (c.problem != NumberProblem::Junk && c.problem != NumberProblem::NotJapan) {
    EXPECT_EQ(a.digits, c.digits);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Normalisation,
    ::testing::Values(N{u"03-1234-5678", "0312345678", P::None}, N{u"０３－１２３４－５６７８", "0312345678", P::None},
                      N{u"（０３）１２３４．５６７８", "0312345678", P::None},
                      N{u"03\u2010""1234\u2015""5678", "0312345678", P::None},
                      N{u"03ー1234\u2212""5678", "0312345678", P::None},
                      N{u"03\u3000""1234 5678", "0312345678", P::None}, N{u"0３-12３4", "031234", P::None},
                      N{u"+81 3-1234-5678", "0312345678", P::None}, N{u"＋８１（３）１２３４５６７８", "0312345678", P::None},
                      N{u"+8131234567", "031234567", P::None}, N{u"+81 (0)120-123-456", "0120123456", P::None},
                      N{u"81-3-1234-5678", "0312345678", P::None}, N{u"(81) 90 1234 5678", "09012345678", P::None},
                      N{u"8131234567", "8131234567", P::None},  // no separator: not a country code
                      N{u"811-234", "811234", P::None}, N{u"117", "117", P::None},
                      N{u"+1 212 555 1234", "", P::NotJapan}, N{u"+", "", P::NotJapan},
                      N{u"03+1234", "", P::Junk}, N{u"03-1234-567a", "", P::Junk},
                      N{u"03\U0001F4DE", "", P::Junk}, N{u"\xD800", "", P::Junk},
                      N{u"", "", P::Empty}, N{u"12", "12", P::TooShort},
                      N{u"-()-", "", P::TooShort}, N{u"090123456789", "090123456789", P::TooLong},
                      N{u"+81 1", "01", P::TooShort}));

TEST(NormalisationDetail, JunkNamesTheCharacterAndLongInputKeepsNoDigits) {
  EXPECT_EQ(NormalizeNumber(u"03\U0001F4DE").junk, U'\U0001F4DE');
  EXPECT_EQ(NormalizeNumber(u"03x").junk, U'x');
  const NumberAnswer huge = NormalizeNumber(std::u16string(100000, u'1'));
  EXPECT_EQ(huge.problem, NumberProblem::TooLong);
  EXPECT_EQ(huge.digitCount, 100000u);
  EXPECT_LE(huge.digits.size(), 20u);
}

struct PrefixCase {
  std::u16string_view number;
  std::u16string_view code;  // empty: no code
  size_t rows;
  std::set<std::u16string_view> prefs;
};

using X = PrefixCase;

class LongestPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(LongestPrefix, CodeRowsAndPrefectures) {
  static const CodeIndex index(LoadedStore());
  const PrefixCase& c = GetParam();
  const NumberAnswer a = index.Resolve(c.number);
  EXPECT_EQ(a.code, c.code);
  EXPECT_EQ(a.problem, c.code.empty() ? NumberProblem::NoCode : NumberProblem::None);
  EXPECT_EQ(a.rows.size(), c.rows);
  std::set<std::u16string_view> prefs;
  for (int i : a.rows) prefs.insert(LoadedStore().Directory.Pref(i));
  EXPECT_EQ(prefs, c.prefs);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LongestPrefix,
    ::testing::Values(X{u"0123-59-1234", u"01235", 1, {u"北海道"}},  // five digits inside four
                      X{u"0123-41-2345", u"0123", 2, {u"北海道"}},
                      X{u"01337-9-1234", u"013379", 1, {u"北海道"}},  // six inside five
                      X{u"01337-1-2345", u"01337", 1, {u"北海道"}},
                      X{u"0424-12-3456", u"0424", 8, {u"埼玉県", u"東京都"}},  // shared code
                      X{u"042-123-4567", u"042", 26, {u"埼玉県", u"東京都", u"神奈川県"}},
                      X{u"06-1234-5678", u"06", 10, {u"大阪府", u"兵庫県"}},
                      X{u"060-123-4567", u"060", 1, {kCommon}},  // nationwide beats regional "06"
                      X{u"0120-123-456", u"0120", 1, {kCommon}}, X{u"0990-12-3456", u"0990", 1, {kCommon}},
                      X{u"099-123-4567", u"09912", 1, {u"鹿児島県"}}, X{u"110", u"110", 1, {kCommon}},
                      X{u"234-5678", u"", 0, {}},
                      X{u"000-0000", u"", 0, {}}));

TEST(CodeIndexTest, EveryCodeAnswersWithExactlyItsRowsInDirectoryOrder) {
  const DirectoryStore& store = LoadedStore();
  const CodeIndex index(store);
  size_t rows = 0;
  std::set<std::u16string_view> codes;
  for (int i = 0; i <= store.LastIndex; ++i) {
    const std::u16string_view code = store.Directory.Code(i);
    if (code.empty() || !codes.insert(code).second) continue;
    std::vector<int16_t> want;
    for (int j = 0; j <= store.LastIndex; ++j)
      if (store.Directory.Code(j) == code) want.push_back(static_cast<int16_t>(j));
    const std::string digits(code.begin(), code.end());
    const CodeIndex::Match m = index.Longest(digits);
    EXPECT_EQ(m.code, code);
    EXPECT_EQ(std::vector<int16_t>(m.rows.begin(), m.rows.end()), want) << digits;
    rows += m.rows.size();
  }
  EXPECT_EQ(index.CodeCount(), codes.size());
  EXPECT_EQ(rows, 1813u);
}

TEST(CliText, Utf8DecodingIsStrict) {
  struct Case {
    std::string_view bytes;
    size_t badByte;
    std::u16string_view text;
  };
  constexpr size_t ok = cli::Decoded::npos;
  for (const Case& c : {Case{"\xE6\x9D\xB1\xE4\xBA\xAC", ok, u"東京"}, Case{"a\xF0\x9F\x93\x9E", ok, u"a\U0001F4DE"},
                        Case{"\xFF" "1", 1, u"\uFFFD" "1"}, Case{"1\xE6\x9D", 2, u"1\uFFFD"},
                        Case{"\xC0\xAF", 1, u"\uFFFD\uFFFD"}, Case{"\xED\xA0\x80", 1, u"\uFFFD"},
                        Case{"\xF4\x90\x80\x80", 1, u"\uFFFD"}}) {
    const cli::Decoded d = cli::DecodeUtf8(c.bytes);
    EXPECT_EQ(d.badByte, c.badByte) << c.bytes;
    EXPECT_EQ(d.text, c.text) << c.bytes;
  }
  // One to four bytes a character; a lone surrogate becomes U+FFFD.
  EXPECT_EQ(cli::ToUtf8(u"a×東\U0001F4DE\xD800"), "a\xC3\x97\xE6\x9D\xB1\xF0\x9F\x93\x9E\xEF\xBF\xBD");
}

TEST(CliText, EastAsianWidthAndJsonEscapes) {
  EXPECT_EQ(cli::DisplayWidth(u"No"), 2u);
  EXPECT_EQ(cli::DisplayWidth(u"北海道"), 6u);
  EXPECT_EQ(cli::DisplayWidth(u"共  通"), 6u);
  EXPECT_EQ(cli::DisplayWidth(u"ＡＢ（）"), 8u);
  EXPECT_EQ(cli::DisplayWidth(u"ｱｲ"), 2u);  // half-width katakana
  EXPECT_EQ(cli::DisplayWidth(u"が"), 2u);
  EXPECT_EQ(cli::DisplayWidth(u"\U0001D11Ex\U00020B9F"), 4u);  // a narrow and a wide character beyond U+FFFF
  std::string json;
  cli::AppendJsonString(json, u"a\"b\\c\n\x01東");
  EXPECT_EQ(json, "\"a\\\"b\\\\c\\n\\u0001\xE6\x9D\xB1\"");
}

TEST(CliText, PrefectureNamesAsTheWindowListsThemOrWithoutInnerSpaces) {
  EXPECT_EQ(cli::PrefChoiceFor(u"東京都"), u"東京都");
  EXPECT_EQ(cli::PrefChoiceFor(u" 北海道 "), u"北海道");
  EXPECT_EQ(cli::PrefChoiceFor(u"共通"), kCommon);
  EXPECT_EQ(cli::PrefChoiceFor(u"共\u3000通"), kCommon);
  EXPECT_EQ(cli::PrefChoiceFor(u"東京"), u"");
  EXPECT_EQ(cli::PrefChoiceFor(u""), u"");
}

}  // namespace
