#include "cli/Lookup.h"

#include <getopt.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "Version.h"
#include "cli/Input.h"
#include "cli/Numbers.h"
#include "cli/Output.h"
#include "cli/Utf8.h"
#include "directory/PrefList.h"
#include "search/ResultRows.h"
#include "search/Search.h"

namespace telvara::cli {
namespace {

constexpr std::string_view kHelp =
    "Usage: telvara-lookup [--code|--area] [--exact] [--pref NAME] [--format FMT] QUERY\n"
    "       telvara-lookup --list PREF [--format FMT]\n"
    "       telvara-lookup --number [--format FMT] NUMBER...\n"
    "       telvara-lookup --number [--format FMT] [INPUT OPTION]... -\n"
    "       telvara-lookup --input [--format FMT] [INPUT OPTION]... [FILE]...\n"
    "Japanese telephone area codes (市外局番) and the areas (対象区域) they served in\n"
    "November 2005, offline.\n"
    "\n"
    "  -c, --code         QUERY is an area code or service number (ASCII or full-width digits)\n"
    "  -a, --area         QUERY is an area name or a part of one\n"
    "                     (without either, a query of digits only is a code)\n"
    "  -e, --exact        match the whole code or area name, not a part of it\n"
    "  -p, --pref NAME    search one prefecture, or 共通 for the nationwide numbers\n"
    "  -l, --list PREF    list every entry of a prefecture, or of 共通\n"
    "  -n, --number       resolve telephone numbers: the longest code that begins each\n"
    "                     one and every area filed under it; '-' reads one number per\n"
    "                     line from standard input\n"
    "  -i, --input        resolve the numbers of each FILE, a line or record at a time\n"
    "                     ('-' or no FILE: standard input); implies --number\n"
    "  -f, --format FMT   aligned (the default at a terminal), tsv (the default\n"
    "                     otherwise) or json (one object per line)\n"
    "  -h, --help         show this help and exit\n"
    "  -V, --version      show the version and exit\n"
    "\n"
    "Input options, for numbers read from files or standard input:\n"
    "      --field N      the number is field N (from 1) of each line; the other\n"
    "                     fields are passed through\n"
    "  -d, --delimiter C  fields are separated by C (default: tab); with any other\n"
    "                     delimiter, fields may be quoted as in CSV\n"
    "      --header       the first line of each input names its fields; it is kept\n"
    "      --encoding ENC the input's encoding: utf-8 (the default) or cp932\n"
    "                     (Shift_JIS, also written sjis or shift_jis)\n"
    "\n"
    "Exit status: 0 when everything matched or resolved, 1 when something did not,\n"
    "2 for a usage error, an input that could not be read or output that could not\n"
    "be written.\n";

struct Options {
  bool code = false, area = false, exact = false, number = false, input = false, help = false, version = false;
  bool header = false;
  std::optional<std::string> pref, list, format, field, delimiter, encoding;
  std::vector<std::string> operands;
};

enum LongOnly { kField = 256, kHeader, kEncoding };

constexpr option kLongOptions[] = {
    {"code", no_argument, nullptr, 'c'},           {"area", no_argument, nullptr, 'a'},
    {"exact", no_argument, nullptr, 'e'},          {"pref", required_argument, nullptr, 'p'},
    {"list", required_argument, nullptr, 'l'},     {"number", no_argument, nullptr, 'n'},
    {"input", no_argument, nullptr, 'i'},          {"format", required_argument, nullptr, 'f'},
    {"field", required_argument, nullptr, kField}, {"delimiter", required_argument, nullptr, 'd'},
    {"header", no_argument, nullptr, kHeader},     {"encoding", required_argument, nullptr, kEncoding},
    {"help", no_argument, nullptr, 'h'},           {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// getopt_long's own messages would echo the argument raw; these show it
// escaped, in the words GNU tools use. arg is the last argument getopt_long
// took up.
std::string OptionError(int result, const std::string& arg) {
  const std::string name = arg.starts_with("--") ? arg.substr(2, arg.find('=') - 2) : "";
  std::vector<const option*> matches;
  for (const option* o = kLongOptions; o->name; ++o)
    if (std::string_view(o->name).starts_with(name)) matches.push_back(o);
  const option* which = nullptr;  // the option getopt_long chose, if it chose one
  for (const option* o : matches)
    if (o->val == optopt) which = o;
  // An error in a cluster of short options leaves arg at an earlier argument.
  if (!arg.starts_with("--") || (optopt != 0 && !which)) {
    const std::string shown = Shown(std::string(1, static_cast<char>(optopt)));
    return result == ':' ? "option requires an argument -- '" + shown + "'" : "invalid option -- '" + shown + "'";
  }
  if (matches.empty()) return "unrecognized option '" + Shown(arg) + "'";
  if (which)
    return "option '--" + std::string(which->name) +
           (result == ':' ? "' requires an argument" : "' doesn't allow an argument");
  std::string message = "option '--" + Shown(name) + "' is ambiguous; possibilities:";
  for (const option* o : matches) message += std::string(" '--") + o->name + "'";
  return message;
}

Options Parse(const std::vector<std::string>& args) {
  std::vector<std::string> copies{std::string(kProgram)};
  copies.insert(copies.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(copies.size());
  Options o;
  optind = 0;  // glibc starts afresh, so that a second run parses its own arguments
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv.data(), ":caep:l:nif:d:hV", kLongOptions, nullptr)) != -1;) {
    switch (c) {
      case 'c': o.code = true; break;
      case 'a': o.area = true; break;
      case 'e': o.exact = true; break;
      case 'n': o.number = true; break;
      case 'i': o.input = true; break;
      case 'h': o.help = true; break;
      case 'V': o.version = true; break;
      case kHeader: o.header = true; break;
      case 'p': o.pref = optarg; break;
      case 'l': o.list = optarg; break;
      case 'f': o.format = optarg; break;
      case 'd': o.delimiter = optarg; break;
      case kField: o.field = optarg; break;
      case kEncoding: o.encoding = optarg; break;
      default: throw UsageError(OptionError(c, argv[static_cast<size_t>(optind - 1)]));
    }
  }
  o.operands.assign(argv.begin() + optind, argv.end() - 1);
  return o;
}

std::u16string DecodeArgument(const std::string& arg, std::string_view what) {
  Decoded d = DecodeUtf8(arg);
  if (!d.Valid()) throw UsageError(std::string(what) + " '" + Shown(arg) + "' is not valid UTF-8");
  return std::move(d.text);
}

std::u16string_view RequirePref(const std::string& arg, std::string_view option) {
  const std::u16string name = DecodeArgument(arg, option);
  const std::u16string_view choice = PrefChoiceFor(name);
  if (!choice.empty()) return choice;
  PrefList prefs;
  prefs.Fill();
  std::string message = "unknown prefecture '" + Shown(arg) + "' for " + std::string(option) + "; valid names:";
  for (int slot = 0; slot <= 48; ++slot) {
    message += slot == 0 ? " " : ", ";
    message += ToUtf8(slot == 0 ? kWholeCountry : prefs[slot]);
  }
  message += " (全国 and 共通 may be written without their spaces)";
  throw UsageError(message);
}

Format ChooseFormat(const Options& o, bool outIsTerminal) {
  if (!o.format) return outIsTerminal ? Format::Aligned : Format::Tsv;
  if (const auto f = ParseFormat(*o.format)) return *f;
  throw UsageError("unknown format '" + Shown(*o.format) + "' (aligned, tsv or json)");
}

// Rows of a search or listing: the window's cells, the always-empty 旧
// column left out and the area last, where its length does not push other
// columns aside. JSON carries the area unmarked, with the old-name flag.
void WriteResultRow(RowWriter& w, const DirectoryStore& store, const PrefList& prefs, int i, int counter,
                    bool withCd) {
  const auto cells = ResultRowTexts(store.Directory, prefs, i, counter, withCd);
  if (w.Kind() == Format::Json) {
    JsonObject o;
    o.Text("no", cells[0]).Text("code", cells[1]).Text("pref", cells[2]);
    o.Text("area", store.Directory.Area(i)).Bool("old", store.Directory.CdValue(i) == 2);
    if (withCd) o.Text("cd", cells[5]);
    w.Json(o);
  } else if (withCd) {
    w.Cells({Cell(cells[0]), Cell(cells[1]), Cell(cells[2]), Cell(cells[5]), Cell(cells[3])});
  } else {
    w.Cells({Cell(cells[0]), Cell(cells[1]), Cell(cells[2]), Cell(cells[3])});
  }
}

int RunSearch(const Options& o, Format format, Sink& sink) {
  if (o.operands.empty()) throw UsageError("no query given");
  if (o.operands.size() > 1) throw UsageError("one query at a time (quote a query that holds spaces)");
  std::u16string query(TrimSpaces(DecodeArgument(o.operands[0], "the query")));
  if (query.empty()) throw UsageError("the query is empty");
  const bool areaMode = o.area || (!o.code && !IsDigitQuery(query));
  // The window's code box only ever holds ASCII digits.
  if (!areaMode) query = AsciiDigits(query);
  const std::u16string_view choice = o.pref ? RequirePref(*o.pref, "--pref") : kWholeCountry;

  const DirectoryStore& store = LoadedStore();
  PrefList prefs;
  prefs.Fill();
  RowWriter w(format, sink);
  w.Header({"No", "局番", "都道府県", "CD", "対象区域"});
  const SearchSettings settings = CaptureSettings(choice, o.exact ? 1 : 0, areaMode);
  int counter = 0;
  WalkSearch(store, query, choice, settings, [&](int i) { WriteResultRow(w, store, prefs, i, counter++, true); });
  w.Footer(CountLineText(counter));
  w.Flush();
  return counter > 0 ? kExitAllFound : kExitSomeNotFound;
}

int RunListing(const Options& o, Format format, Sink& sink) {
  if (!o.operands.empty()) throw UsageError("--list takes no query");
  const std::u16string_view choice = RequirePref(*o.list, "--list");
  if (choice == kWholeCountry) throw UsageError("--list needs one prefecture or 共通; 全国 lists nothing");
  const DirectoryStore& store = LoadedStore();
  PrefList prefs;
  prefs.Fill();
  RowWriter w(format, sink);
  w.Header({"No", "局番", "都道府県", "対象区域"});
  int counter = 0;
  WalkListing(store, choice, [&](int i) { WriteResultRow(w, store, prefs, i, counter++, false); });
  w.Footer(CountLineText(counter));
  w.Flush();
  return counter > 0 ? kExitAllFound : kExitSomeNotFound;
}

NumberSettings NumberOptions(const Options& o, Format format) {
  NumberSettings s;
  s.format = format;
  s.operands = o.operands;
  s.batch = o.input || (o.operands.size() == 1 && o.operands[0] == "-");
  if (o.input && s.operands.empty()) s.operands = {"-"};
  if (s.operands.empty()) throw UsageError("--number needs numbers, '-' to read them from standard input, or --input");
  if (!s.batch) {
    for (const std::string& number : s.operands)
      if (number == "-") throw UsageError("'-' reads standard input and stands alone (or use --input)");
    if (o.field || o.delimiter || o.header || o.encoding)
      throw UsageError("--field, --delimiter, --header and --encoding apply to numbers read from files or '-'");
    return s;
  }
  if (o.encoding) {
    s.encoding = EncodingFor(*o.encoding);
    if (s.encoding.empty())
      throw UsageError("unknown encoding '" + Shown(*o.encoding) + "' (utf-8, or cp932 also written sjis or shift_jis)");
  }
  if (o.delimiter) {
    const std::u16string d = DecodeArgument(*o.delimiter, "the delimiter");
    if (d.size() != 1 || d[0] == u'"' || d[0] == u'\n' || d[0] == u'\r')
      throw UsageError("the delimiter must be one character other than a quote or a line break");
    s.delimiter = d[0];
  }
  if (o.field) {
    const std::string& n = *o.field;
    if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string::npos || std::stoul(n) == 0)
      throw UsageError("--field takes a field number from 1, not '" + Shown(n) + "'");
    s.field = std::stoul(n);
  } else if (o.delimiter) {
    s.field = 1;
  }
  s.header = o.header;
  return s;
}

int Run(const Options& o, int in, Sink& sink, std::FILE* err, bool outIsTerminal) {
  if (o.help) {
    sink.Put(kHelp);
    sink.Drain();
    return kExitAllFound;
  }
  if (o.version) {
    sink.Put(std::string(kProgram) + " " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
             std::to_string(kVersionRevision) + "\n");
    sink.Drain();
    return kExitAllFound;
  }
  if (o.code && o.area) throw UsageError("--code and --area exclude each other");
  const bool searchOptions = o.code || o.area || o.exact || o.pref;
  const bool number = o.number || o.input;
  if (o.list && number) throw UsageError("--list and --number exclude each other");
  if ((o.list || number) && searchOptions)
    throw UsageError("--code, --area, --exact and --pref belong to a search, not to --list or --number");
  if (!number && (o.field || o.delimiter || o.header || o.encoding))
    throw UsageError("--field, --delimiter, --header and --encoding belong to --number");
  const Format format = ChooseFormat(o, outIsTerminal);
  if (o.list) return RunListing(o, format, sink);
  if (number) return RunNumbers(NumberOptions(o, format), in, sink, err);
  return RunSearch(o, format, sink);
}

std::u16string Squeezed(std::u16string_view text) {
  std::u16string out;
  for (char16_t c : text)
    if (c != u' ' && c != u'\u3000') out += c;
  return out;
}

}  // namespace

std::u16string_view PrefChoiceFor(std::u16string_view name) {
  PrefList prefs;
  prefs.Fill();
  const std::u16string_view trimmed = TrimSpaces(name);
  for (std::u16string_view choice : FilterChoices(prefs))
    if (trimmed == choice || Squeezed(trimmed) == Squeezed(choice)) return choice;
  return {};
}

int RunLookup(const std::vector<std::string>& args, int in, int out, std::FILE* err, bool outIsTerminal) {
  Sink sink(out);
  try {
    return Run(Parse(args), in, sink, err, outIsTerminal);
  } catch (const UsageError& e) {
    std::fprintf(err, "%s: %s\nTry '%s --help' for more information.\n", kProgram.data(), e.what(), kProgram.data());
  } catch (const WriteFailed& e) {
    std::fprintf(err, "%s: write error: %s\n", kProgram.data(), std::strerror(e.error));
  } catch (const std::exception& e) {  // memory exhausted, or glibc without its CP932 converter
    std::fprintf(err, "%s: %s\n", kProgram.data(), e.what());
  }
  return kExitUsage;
}

}  // namespace telvara::cli
