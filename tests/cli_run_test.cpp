// The real telvara-lookup binary: its rows against the window's, batch input
// from files as address books hold them, exit statuses, write failures,
// aligned columns and JSON read back by Python's json module.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
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
  // SIGPIPE as a terminal leaves it, whatever the test runner set.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &pipe);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  Ran r;
  pid_t pid = 0;
  int wait = 0;
  if (posix_spawn(&pid, program.c_str(), &files, &attr, argv.data(), environ) == 0 && waitpid(pid, &wait, 0) == pid &&
      WIFEXITED(wait))
    r.status = WEXITSTATUS(wait);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attr);
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

// Scripts run by bash in a fresh directory, "$0" standing for the program:
// input made by printf and iconv, files, pipes and /dev/full.
struct ShellCase {
  const char* script;
  int status;
  std::string_view out, err;
};

class Shell : public ::testing::TestWithParam<ShellCase> {};

TEST_P(Shell, OutputErrorsAndStatus) {
  const ShellCase& c = GetParam();
  const Ran r = Spawn("/bin/bash", {"-c", std::string("cd \"$(mktemp -d)\" && trap 'rm -rf \"$PWD\"' EXIT && ") + c.script,
                                    TELVARA_LOOKUP});
  EXPECT_EQ(r.out, c.out) << c.script;
  EXPECT_EQ(r.err, c.err) << c.script;
  EXPECT_EQ(r.status, c.status) << c.script;
}

constexpr std::string_view kNoSpace = "telvara-lookup: write error: No space left on device\n";
constexpr std::string_view kUnresolved1 = "telvara-lookup: 1 of 1 numbers not resolved\n";

INSTANTIATE_TEST_SUITE_P(
    Table, Shell,
    ::testing::Values(
        // Lines in order, each answered once or with its reason; blank lines hold nothing.
        ShellCase{R"-(printf '0120-123-456\n\n  ０１３３７－９－１２３４ \r\n\xff\xfe12\nabc\n12\n%5000s\n110' '' | "$0" -n -)-", 1,
                  "1\t0120-123-456\t0120123456\t0120\t共  通\tフリーアクセス/フリーダイヤル等\t\n"
                  "3\t０１３３７－９－１２３４\t0133791234\t013379\t北海道\t浜益郡\t\n"
                  "4\t\\xFF\\xFE12\t\t\t\t\tnot valid UTF-8 (byte 1)\n"
                  "5\tabc\t\t\t\t\tcontains \"a\" (U+0061), which no telephone number holds\n"
                  "6\t12\t12\t\t\t\t2 digits; a number has 3 to 11 digits\n"
                  "7\t\t\t\t\t\tlonger than 4096 bytes\n"
                  "8\t110\t110\t110\t共  通\t警察\t\n",
                  "telvara-lookup: standard input: line 4 is not valid UTF-8; for Shift_JIS (code page 932) use "
                  "--encoding cp932\ntelvara-lookup: 4 of 7 numbers not resolved\n"},
        // A Shift_JIS address book: read with --encoding, escaped byte for byte without it.
        ShellCase{R"-(printf '氏名\t電話\n㈱髙島\t０１３３７－９－１２３４\n' | iconv -f UTF-8 -t CP932 | "$0" -i --field 2 --header --enc sjis)-", 0,
                  "line\t氏名\t電話\tnumber\tcode\tpref\tarea\treason\n"
                  "2\t㈱髙島\t０１３３７－９－１２３４\t0133791234\t013379\t北海道\t浜益郡\t\n", ""},
        ShellCase{R"-(printf '㈱\t０３\n' | iconv -f UTF-8 -t CP932 | "$0" -n --field=2 -)-", 1,
                  "1\t\\x87\\x8A\t\\x82O\\x82R\t\t\t\t\tnot valid UTF-8 (byte 1)\n",
                  "telvara-lookup: standard input: line 1 is not valid UTF-8; for Shift_JIS (code page 932) use "
                  "--encoding cp932\ntelvara-lookup: 1 of 1 numbers not resolved\n"},
        ShellCase{R"-(printf '0120\xff\n' | "$0" -n --encoding cp932 -f json -)-", 1,
                  R"-({"line":1,"input":"0120\\xFF","number":null,"code":null,"pref":null,"area":null,"old":null,"reason":"not valid CP932 (byte 5)"})-" "\n",
                  kUnresolved1},
        // CSV: quotes, embedded delimiters and line breaks, a header, rows short of fields.
        ShellCase{R"-(printf '\xef\xbb\xbfname,phone,note\r\n"Sato, ""Ken""",01337-9-1234,"a\nb"\r\n,,\r\nNo phone\r\nx,"0120\n' | "$0" -i -d , --field 2 --header)-", 1,
                  "line\tname\tphone\tnote\tnumber\tcode\tpref\tarea\treason\n"
                  "2\tSato, \"Ken\"\t01337-9-1234\ta\\nb\t0133791234\t013379\t北海道\t浜益郡\t\n"
                  "5\tNo phone\t\t\t\t\t\t\tno field 2; the line has 1\n"
                  "6\tx\t0120\t\t\t\t\t\ta quoted field is not closed\n",
                  "telvara-lookup: 2 of 3 numbers not resolved\n"},
        // A quote that never closes: its line stands alone, and the lines after it are read again.
        ShellCase{R"-(printf 'a,"0120-123-456\nb,110\n' | "$0" -i -d , --field 2)-", 1,
                  "1\ta\t0120-123-456\t\t\t\t\ta quoted field is not closed\n2\tb\t110\t110\t110\t共  通\t警察\t\n",
                  "telvara-lookup: 1 of 2 numbers not resolved\n"},
        ShellCase{R"-(printf '\n0120-123-456\n' | "$0" -n - -f json)-", 0,
                  R"-({"line":2,"input":"0120-123-456","number":"0120123456","code":"0120","pref":"共  通","area":"フリーアクセス/フリーダイヤル等","old":false,"reason":null})-" "\n", ""},
        ShellCase{R"-(printf 'a;"b;c";099-123-4567\n' | "$0" -i -d ';' --field 3 -f json)-", 0,
                  R"-({"line":1,"fields":["a","b;c","099-123-4567"],"input":"099-123-4567","number":"0991234567","code":"09912","pref":"鹿児島県","area":"鹿児島郡十島村","old":false,"reason":null})-" "\n", ""},
        // A delimiter alone means field 1; a header of one ASCII field is a header, not a number.
        ShellCase{R"-(printf '0120,x\n' | "$0" -i -d , && printf 'phone\n110\n' | "$0" -i --header)-", 0,
                  "1\t0120\tx\t0120\t0120\t共  通\tフリーアクセス/フリーダイヤル等\t\n"
                  "line\tphone\tnumber\tcode\tpref\tarea\treason\n2\t110\t110\t110\t共  通\t警察\t\n", ""},
        // Files: a missing one among good ones is named, and the others are read.
        ShellCase{R"-(echo 0120-123-456 > a && echo 110 > b && "$0" -i a missing - b < a)-", 2,
                  "a\t1\t0120-123-456\t0120123456\t0120\t共  通\tフリーアクセス/フリーダイヤル等\t\n"
                  "-\t1\t0120-123-456\t0120123456\t0120\t共  通\tフリーアクセス/フリーダイヤル等\t\n"
                  "b\t1\t110\t110\t110\t共  通\t警察\t\n",
                  "telvara-lookup: missing: No such file or directory\n"},
        // Columns by glibc's wcwidth: emoji and East Asian wide characters take two.
        ShellCase{R"-(printf 'name,phone\n🚀⌚,0120-123-456\nｱｲ,099-123-4567\n' | "$0" -i -d , --header -f aligned --field 2)-", 0,
                  "name  phone         番号        局番   都道府県  対象区域\n"
                  "🚀⌚  0120-123-456  0120123456  0120   共  通    フリーアクセス/フリーダイヤル等\n"
                  "ｱｲ    099-123-4567  0991234567  09912  鹿児島県  鹿児島郡十島村\n", ""},
        // Controls, line and paragraph separators and bidi overrides stay visible and in place.
        ShellCase{R"-(printf '0\xc2\x85\n\xe2\x80\xae1\n2\xe2\x80\xa9\n' | "$0" -n -)-", 1,
                  "1\t0\\u0085\t\t\t\t\tcontains U+0085, which no telephone number holds\n"
                  "2\t\\u202E1\t\t\t\t\tcontains U+202E, which no telephone number holds\n"
                  "3\t2\\u2029\t\t\t\t\tcontains U+2029, which no telephone number holds\n",
                  "telvara-lookup: 3 of 3 numbers not resolved\n"},
        ShellCase{R"-("$0" --format "$(printf '\e[2J\xe2\x80\xae\xc2\x9b')" 03)-", 2, "",
                  "telvara-lookup: unknown format '\\u001B[2J\\u202E\\u009B' (aligned, tsv or json)\n"
                  "Try 'telvara-lookup --help' for more information.\n"},
        ShellCase{R"-("$0" -n "$(printf '\xf4\x8f\xbf\xbf')" "$(printf '\xf4\x80\x80\x80\xe2\x80\x8f')")-", 1,
                  "\xf4\x8f\xbf\xbf\t\t\t\t\tcontains \"\xf4\x8f\xbf\xbf\" (U+10FFFF), which no telephone number holds\n"
                  "\xf4\x80\x80\x80\\u200F\t\t\t\t\tcontains \"\xf4\x80\x80\x80\" (U+100000), which no telephone number holds\n",
                  "telvara-lookup: 2 of 2 numbers not resolved\n"},
        // International prefixes, and options abbreviated as getopt_long allows.
        ShellCase{R"-("$0" --num --form=t '00 81 1337-9-1234' '010-81-120-123-456' '011 81 (0)99 123 4567')-", 0,
                  "00 81 1337-9-1234\t0133791234\t013379\t北海道\t浜益郡\t\n"
                  "010-81-120-123-456\t0120123456\t0120\t共  通\tフリーアクセス/フリーダイヤル等\t\n"
                  "011 81 (0)99 123 4567\t0991234567\t09912\t鹿児島県\t鹿児島郡十島村\t\n", ""},
        ShellCase{R"-("$0" --vers | cut -d ' ' -f 1)-", 0, "telvara-lookup\n", ""},
        ShellCase{R"-("$0" --e 03)-", 2, "",
                  "telvara-lookup: option '--e' is ambiguous; possibilities: '--exact' '--encoding'\n"
                  "Try 'telvara-lookup --help' for more information.\n"},
        ShellCase{R"-("$0" 0 -xe)-", 2, "", "telvara-lookup: invalid option -- 'x'\nTry 'telvara-lookup --help' for more information.\n"},
        // Every write that fails ends the run with its reason, endless input included.
        ShellCase{R"-("$0" --help > /dev/full)-", 2, "", kNoSpace}, ShellCase{R"-("$0" --version > /dev/full)-", 2, "", kNoSpace},
        ShellCase{R"-("$0" 03 > /dev/full)-", 2, "", kNoSpace}, ShellCase{R"-("$0" -f json -l 共通 > /dev/full)-", 2, "", kNoSpace},
        ShellCase{R"-("$0" -n 0120 > /dev/full)-", 2, "", kNoSpace},
        ShellCase{R"-(echo 0120 > a && "$0" -i a -f aligned > /dev/full)-", 2, "", kNoSpace},
        ShellCase{R"-(yes 0120-123-456 | "$0" -n - > /dev/full)-", 2, "", kNoSpace},
        ShellCase{R"-(trap '' PIPE && yes 0120 2> /dev/null | "$0" -n - -f json | head -c 1; exit ${PIPESTATUS[1]})-", 2, "{",
                  "telvara-lookup: write error: Broken pipe\n"},
        // A closed pipe under the default SIGPIPE ends the program silently.
        ShellCase{R"-(yes 0120 | "$0" -n - | head -c 1; exit ${PIPESTATUS[1]})-", 128 + SIGPIPE, "1", ""}));

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
                      StatusCase{{"--version=1"}, "", 2}, StatusCase{{"-i", "--field", "0"}, "", 2},
                      StatusCase{{"--field", "2", "-n", "03"}, "", 2}, StatusCase{{"-n", "--encoding=latin1", "-"}, "", 2},
                      StatusCase{{"-i", "-d", "ab"}, "", 2}, StatusCase{{"--header", "03"}, "", 2}));

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
    const size_t cd = lines[i].find(i == 0 ? "CD" : "48");
    ASSERT_NE(cd, std::string::npos) << lines[i];
    EXPECT_EQ(cli::DisplayWidth(std::string_view(lines[i]).substr(0, cd)), 22u) << lines[i];
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
  EXPECT_EQ(lines[3], "3 None None None not valid UTF-8 (byte 1) \\xFF");
  EXPECT_EQ(lines[15], "0002 01376 北海道 True None None");
}

}  // namespace
