// Number normalisation, the code index, and the text and field helpers of
// telvara-lookup.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cli/Input.h"
#include "cli/Lookup.h"
#include "cli/Numbers.h"
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
  // Lines of ASCII are read without decoding them, to the same answer.
  if (std::all_of(c.input.begin(), c.input.end(), [](char16_t ch) { return ch < 0x80; })) {
    const NumberAnswer b = NormalizeNumber(std::string(c.input.begin(), c.input.end()));
    EXPECT_EQ(b.problem, a.problem);
    EXPECT_EQ(b.digits, a.digits);
    EXPECT_EQ(b.junk, a.junk);
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
                      N{u"03+1234", "", P::Junk}, N{u"03-1234-567a", "", P::Junk}, N{u"03-1234-567Ａ", "", P::Junk},
                      N{u"03\U0001F4DE", "", P::Junk}, N{u"\xD800", "", P::Junk},
                      N{u"", "", P::Empty}, N{u"12", "12", P::TooShort},
                      N{u"-()-", "", P::TooShort}, N{u"090123456789", "090123456789", P::TooLong},
                      N{u"+81 1", "01", P::TooShort},
                      // dialled from abroad: 00, 010 or 011 written as a group of its own, then 81
                      N{u"00 81 3-1234-5678", "0312345678", P::None}, N{u"010-81-3-1234-5678", "0312345678", P::None},
                      N{u"011 81 (0)90 1234 5678", "09012345678", P::None}, N{u"0081 3 1234 5678", "0312345678", P::None},
                      N{u"０１０－８１－３－１２３４－５６７８", "0312345678", P::None},
                      N{u"011-812-3456", "0118123456", P::None}, N{u"0118112345", "0118112345", P::None},  // Sapporo
                      N{u"010-1-212-555", "0101212555", P::None},  // the directory's own 010, 国際通話
                      N{u"00 1 212 555 1234", "", P::NotJapan}));

TEST(NormalisationDetail, JunkNamesTheCharacterAndLongInputKeepsNoDigits) {
  EXPECT_EQ(NormalizeNumber(u"03\U0001F4DE").junk, U'\U0001F4DE');
  EXPECT_EQ(NormalizeNumber(u"03x").junk, U'x');
  EXPECT_EQ(NormalizeNumber(u"03\U00010000").junk, U'\U00010000');
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

TEST(CliText, Utf8DecodingIsStrictAndKeepsEveryByte) {
  struct Case {
    std::string_view bytes;
    size_t badByte;
    std::u16string_view text;
  };
  constexpr size_t ok = cli::Decoded::npos;
  for (const Case& c : {Case{"\xE6\x9D\xB1\xE4\xBA\xAC", ok, u"東京"}, Case{"a\xF0\x9F\x93\x9E", ok, u"a\U0001F4DE"},
                        Case{"\xFF" "1", 1, u"\xDCFF" "1"}, Case{"1\xE6\x9D", 2, u"1\xDCE6\xDC9D"},
                        Case{"\xC3\x97\xFF", 3, u"\xDCC3\xDC97\xDCFF"},
                        Case{"\xC0\xAF", 1, u"\xDCC0\xDCAF"}, Case{"\xED\xA0\x80", 1, u"\xDCED\xDCA0\xDC80"},
                        Case{"\xF4\x90\x80\x80", 1, u"\xDCF4\xDC90\xDC80\xDC80"}}) {
    const cli::Decoded d = cli::DecodeUtf8(c.bytes);
    EXPECT_EQ(d.badByte, c.badByte) << c.bytes;
    EXPECT_EQ(d.text, c.text) << c.bytes;
  }
  // One to four bytes a character; a lone surrogate becomes U+FFFD.
  EXPECT_EQ(cli::ToUtf8(u"a×東\U0001F4DE\xD800"), "a\xC3\x97\xE6\x9D\xB1\xF0\x9F\x93\x9E\xEF\xBF\xBD");
}

TEST(CliText, HiddenCharactersAndBytesAreShownEscaped) {
  using Case = std::tuple<std::string_view, std::string_view, std::string_view>;  // bytes, cell, JSON string
  for (const auto& [bytes, shown, json] :
       {Case{"a\tb\n\r", "a\\tb\\n\\r", R"("a\tb\n\r")"}, Case{"\x1B[2J\x7F", "\\u001B[2J\\u007F", R"("\u001B[2J\u007F")"},
        Case{"\xC2\x85\xC2\x9B", "\\u0085\\u009B", R"("\u0085\u009B")"},
        Case{"\xE2\x80\xA8\xE2\x80\xA9", "\\u2028\\u2029", R"("\u2028\u2029")"},
        Case{"\xD8\x9C\xE2\x80\x8E\xE2\x80\xAA\xE2\x80\xAE\xE2\x81\xA9", "\\u061C\\u200E\\u202A\\u202E\\u2069", R"("\u061C\u200E\u202A\u202E\u2069")"},
        Case{"\xFF\x81", "\\xFF\\x81", R"("\\xFF\\x81")"}, Case{"\"\\", "\"\\", R"("\"\\")"},
        Case{"東\xC2\xA0\xF0\x9F\x9A\x80\xE2\x80\x8B", "東\xC2\xA0\xF0\x9F\x9A\x80\xE2\x80\x8B", "\"東\xC2\xA0\xF0\x9F\x9A\x80\xE2\x80\x8B\""}}) {
    EXPECT_EQ(cli::Shown(bytes), shown) << bytes;
    std::string out;
    cli::AppendJsonString(out, cli::DecodeUtf8(bytes).text);
    EXPECT_EQ(out, json) << bytes;
  }
}

TEST(CliText, WidthsAreGlibcsAndCodePointsAreNamedInFull) {
  using Case = std::pair<std::string_view, size_t>;
  for (const auto& [text, width] :
       {Case{"No", 2}, Case{"北海道", 6}, Case{"共  通", 6}, Case{"ＡＢ（）", 8}, Case{"ｱｲ", 2}, Case{"か\xE3\x82\x99", 2},
        Case{"\xF0\x9F\x9A\x80", 2}, Case{"\xE2\x8C\x9A", 2}, Case{"\xF0\x9D\x84\x9Ex\xF0\xA0\xAE\x9F", 4}})
    EXPECT_EQ(cli::DisplayWidth(text), width) << text;
  for (const auto& [c, name] : {std::pair<char32_t, std::u16string_view>{U'A', u"U+0041"}, {U'\U000F0000', u"U+F0000"},
                                {U'\U00100000', u"U+100000"}, {U'\U0010FFFF', u"U+10FFFF"}})
    EXPECT_EQ(cli::CodePointName(c), name);
  EXPECT_EQ(cli::ReasonText(NormalizeNumber(u"03\U0010FFFF")),
            u"contains \"\U0010FFFF\" (U+10FFFF), which no telephone number holds");
  EXPECT_EQ(cli::ReasonText(NormalizeNumber(u"03\u202E")), u"contains U+202E, which no telephone number holds");
}

TEST(CliFields, DelimitersAndRfc4180Quotes) {
  struct Case {
    std::u16string_view record;
    char16_t delimiter;
    bool quoting, closed;
    std::vector<std::u16string> fields;
  };
  for (const Case& c : std::initializer_list<Case>{
           {u"a,b,,", u',', true, true, {u"a", u"b", u"", u""}},
           {u"\"x, y\",\"say \"\"hi\"\"\",\"\"", u',', true, true, {u"x, y", u"say \"hi\"", u""}},
           {u"\"two\nlines\",3", u',', true, true, {u"two\nlines", u"3"}},
           {u"a\"b\",\"c\"d", u',', true, true, {u"a\"b\"", u"cd"}},  // quotes inside a field are text
           {u"x,\"open", u',', true, false, {u"x", u"open"}},
           {u"\"t\"\t\"u", u'\t', false, true, {u"\"t\"", u"\"u"}},  // tab-separated: no quoting
       }) {
    std::vector<std::u16string> fields;
    EXPECT_EQ(cli::SplitFields(c.record, c.delimiter, c.quoting, fields), c.closed);
    EXPECT_EQ(fields, c.fields);
  }
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
