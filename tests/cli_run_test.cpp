// The real telvara-lookup binary: its rows against the window's, batch input,
// exit statuses, aligned columns and JSON read back by Python's json module.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/Utf8.h"
#include "search/ResultRows.h"
#include "search/Search.h"

extern char** environ;

using namespace telvara;

namespace {

struct Ran {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Runs program with args, input on its standard input and files for its output.
Ran Spawn(const std::string& program, const std::vector<std::string>& args, const std::string& input = "") {
  static int serial = 0;
  const std::string base = ::testing::TempDir() + "cli-run-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
  std::ofstream(base + ".in", std::ios::binary) << input;
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, (base + ".in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, (base + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, (base + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  Ran r;
  pid_t pid = 0;
  int wait = 0;
  if (posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ) == 0 &&
      waitpid(pid, &wait, 0) == pid && WIFEXITED(wait))
    r.status = WEXITSTATUS(wait);
  posix_spawn_file_actions_destroy(&files);
  r.out = Slurp(base + ".out");
  r.err = Slurp(base + ".err");
  for (const char* ext : {".in", ".out", ".err"}) std::remove((base + ext).c_str());
  return r;
}

Ran Lookup(const std::vector<std::string>& args, const std::string& input = "") {
  return Spawn(TELVARA_LOOKUP, args, input);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream s(text);
  for (std::string line; std::getline(s, line);) lines.push_back(line);
  return lines;
}

// The window's rows for a walk, as tab-separated lines in the program's column order.
template <class Walk>
std::vector<std::string> WindowRows(bool withCd, Walk&& walk) {
  PrefList prefs;
  prefs.Fill();
  std::vector<std::string> rows;
  int counter = 0;
  walk([&](int i) {
    const auto c = ResultRowTexts(LoadedStore().Directory, prefs, i, counter++, withCd);
    std::u16string line = c[0] + u"\t" + c[1] + u"\t" + c[2] + u"\t" + (withCd ? c[5] + u"\t" : u"") + c[3];
    rows.push_back(cli::ToUtf8(line));
  });
  return rows;
}

struct AgreeCase {
  std::vector<std::string> args;
  std::u16string_view query;
  std::u16string_view pref;
  int exact, areaMode;
  size_t count;
};

class AgreesWithWindow : public ::testing::TestWithParam<AgreeCase> {};

TEST_P(AgreesWithWindow, SearchRows) {
  const AgreeCase& c = GetParam();
  const auto want = WindowRows(true, [&](auto&& on) {
    WalkSearch(LoadedStore(), c.query, c.pref, CaptureSettings(c.pref, c.exact, c.areaMode == 1), on);
  });
  const Ran r = Lookup(c.args);
  EXPECT_EQ(Lines(r.out), want);
  EXPECT_EQ(want.size(), c.count);
  EXPECT_EQ(r.status, c.count > 0 ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, AgreesWithWindow,
    ::testing::Values(AgreeCase{{"0123"}, u"0123", kWholeCountry, 0, 0, 7},
                      AgreeCase{{"０１２３"}, u"0123", kWholeCountry, 0, 0, 7},  // full-width code query
                      AgreeCase{{"八雲"}, u"八雲", kWholeCountry, 0, 1, 3},
                      AgreeCase{{"--exact", "--pref", "東京都", "03"}, u"03", u"東京都", 1, 0, 4},
                      AgreeCase{{"-p", "共通", "11"}, u"11", kCommon, 0, 0, 8},
                      AgreeCase{{"--area", "東京都内２３区"}, u"東京都内２３区", kWholeCountry, 0, 1, 1},
                      AgreeCase{{"-e", "札幌"}, u"札幌", kWholeCountry, 1, 1, 0}));

TEST(AgreesWithWindowListing, ListingRows) {
  using Case = std::tuple<std::string, std::u16string_view, size_t>;
  for (const auto& [name, choice, count] : {Case{"東京都", u"東京都", 50}, Case{"共通", kCommon, 43},
                                           Case{"北海道", u"北海道", 151}}) {
    const auto want = WindowRows(false, [&](auto&& on) { WalkListing(LoadedStore(), choice, on); });
    const Ran r = Lookup({"--list", name});
    EXPECT_EQ(Lines(r.out), want) << name;
    EXPECT_EQ(want.size(), count);
    EXPECT_EQ(r.status, 0);
  }
}

TEST(Batch, BadLinesAndInvalidUtf8AreReportedInOrderAndTheRunGoesOn) {
  const std::string input = "03-1234-5678\n\n  ０１２０－１２３－４５６ \r\n\xFF\xFE" "12\nabc\n12\n" +
                            std::string(5000, '1') + "\n110";
  const Ran r = Lookup({"--number", "-", "--format", "tsv"}, input);
  std::vector<std::string> got;
  for (const std::string& line : Lines(r.out)) {
    std::vector<std::string> f;
    std::istringstream s(line);
    for (std::string field; std::getline(s, field, '\t');) f.push_back(field);
    f.resize(6);
    got.push_back(f[0].substr(0, 12) + "|" + f[1] + "|" + f[2] + "|" + f[5].substr(0, 24));
  }
  EXPECT_EQ(got, (std::vector<std::string>{
                     "03-1234-5678|0312345678|03|", "03-1234-5678|0312345678|03|", "03-1234-5678|0312345678|03|",
                     "03-1234-5678|0312345678|03|", "０１２０|0120123456|0120|",
                     "\xEF\xBF\xBD\xEF\xBF\xBD" "12|||line 4: not valid UTF-8 ", "abc|||line 5: contains \"a\" (U+",
                     "12|12||line 6: 2 digits; a numb", "111111111111|||line 7: longer than 4096", "110|110|110|"}));
  EXPECT_NE(r.err.find("4 of 7 numbers not resolved"), std::string::npos) << r.err;
  EXPECT_EQ(r.status, 1);
}

struct StatusCase {
  std::vector<std::string> args;
  std::string input;
  int status;
};

class ExitStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ExitStatus, Table) {
  const Ran r = Lookup(GetParam().args, GetParam().input);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  // A usage error says what went wrong, on standard error only.
  if (r.status == 2) {
    EXPECT_TRUE(r.out.empty() && r.err.find("telvara-lookup: ") == 0) << r.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExitStatus,
    ::testing::Values(StatusCase{{"0123"}, "", 0}, StatusCase{{"99999"}, "", 1}, StatusCase{{"-ce", "03"}, "", 0},
                      StatusCase{{"--pref=共通", "11"}, "", 0}, StatusCase{{"--list", "沖縄県"}, "", 0},
                      StatusCase{{"-n", "03-1234-5678", "+81 6 1234 5678"}, "", 0},
                      StatusCase{{"-n", "03-1234-5678", "12"}, "", 1}, StatusCase{{"-n", "-"}, "0312345678\n\n", 0},
                      StatusCase{{"-n", "-"}, "", 0}, StatusCase{{"-n", "-"}, "\xFF\n", 1},
                      StatusCase{{"--help"}, "", 0}, StatusCase{{"--version"}, "", 0}, StatusCase{{}, "", 2},
                      StatusCase{{"  "}, "", 2}, StatusCase{{"03", "06"}, "", 2}, StatusCase{{"--bogus", "03"}, "", 2},
                      StatusCase{{"--code", "--area", "03"}, "", 2}, StatusCase{{"--pref", "東京", "03"}, "", 2},
                      StatusCase{{"--pref"}, "", 2}, StatusCase{{"--list", "全国"}, "", 2},
                      StatusCase{{"--list", "東京都", "03"}, "", 2}, StatusCase{{"-n"}, "", 2},
                      StatusCase{{"-n", "-", "03"}, "", 2}, StatusCase{{"--exact", "-n", "03"}, "", 2},
                      StatusCase{{"--format", "xml", "03"}, "", 2}, StatusCase{{"\xFF"}, "", 2},
                      StatusCase{{"--version=1"}, "", 2}));

TEST(Messages, UnknownPrefectureListsTheValidNames) {
  const Ran bad = Lookup({"--pref", "東京", "03"});
  for (const char* name : {"全  国", "北海道", "東京都", "沖縄県", "共  通"}) EXPECT_NE(bad.err.find(name), std::string::npos);
}

TEST(Aligned, ColumnsLineUpByDisplayWidthAndTheCountLineFollows) {
  const Ran r = Lookup({"--format", "aligned", "--pref", "共通", "11"});
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 10u);  // heading, 8 rows, count line
  EXPECT_EQ(lines.back(), "8 件");
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    const std::u16string line = cli::DecodeUtf8(lines[i]).text;
    const size_t cd = i == 0 ? line.find(u"CD") : line.find(u"48");
    ASSERT_NE(cd, std::u16string::npos) << lines[i];
    EXPECT_EQ(cli::DisplayWidth(line.substr(0, cd)), 22u) << lines[i];
  }
}

TEST(Json, EveryLineParsesWithTheMembersItNeeds) {
  const std::string input = "0123-45-6789\nx\"\\\x01\r2\n\xFF\n06 1234 5678\n";
  const Ran numbers = Lookup({"-n", "-", "-f", "json"}, input);
  const Ran search = Lookup({"-f", "json", "八雲"});
  const std::string check =
      "import json, sys\n"
      "sys.stdin.reconfigure(encoding='utf-8')\n"
      "sys.stdout.reconfigure(encoding='utf-8')\n"
      "for l in sys.stdin:\n"
      "    o = json.loads(l)\n"
      "    print(o.get('line', o.get('no')), o['code'], o['pref'], o['old'], o.get('reason'), o.get('input'))\n";
  const Ran parsed = Spawn("/usr/bin/python3", {"-c", check}, numbers.out + search.out);
  ASSERT_EQ(parsed.status, 0) << parsed.err;
  const auto lines = Lines(parsed.out);
  ASSERT_EQ(lines.size(), 2u + 2u + 10u + 3u);
  EXPECT_EQ(lines[0], "1 0123 北海道 False None 0123-45-6789");
  EXPECT_EQ(lines[2], "2 None None None contains \"x\" (U+0078), which no telephone number holds x\"\\\x01\r2");
  EXPECT_EQ(lines[3], "3 None None None not valid UTF-8 (byte 1) \xEF\xBF\xBD");
  EXPECT_EQ(lines[15], "0002 01376 北海道 True None None");
}

}  // namespace
