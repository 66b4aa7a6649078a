#include "cli/Lookup.h"

#include <unistd.h>

#include <optional>
#include <stdexcept>

#include "Version.h"
#include "cli/Output.h"
#include "cli/Utf8.h"
#include "directory/PrefList.h"
#include "search/ResultRows.h"
#include "search/Search.h"

namespace telvara::cli {
namespace {

constexpr std::string_view kProgram = "telvara-lookup";

constexpr std::string_view kHelp =
    "Usage: telvara-lookup [--code|--area] [--exact] [--pref NAME] [--format FMT] QUERY\n"
    "       telvara-lookup --list PREF [--format FMT]\n"
    "       telvara-lookup --number [--format FMT] NUMBER...\n"
    "       telvara-lookup --number [--format FMT] -\n"
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
    "  -f, --format FMT   aligned (the default at a terminal), tsv (the default\n"
    "                     otherwise) or json (one object per line)\n"
    "  -h, --help         show this help and exit\n"
    "  -V, --version      show the version and exit\n"
    "\n"
    "Exit status: 0 when everything matched or resolved, 1 when something did not,\n"
    "2 for a usage error or output that could not be written.\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  bool code = false, area = false, exact = false, number = false, help = false, version = false;
  std::optional<std::string> pref, list, format;
  std::vector<std::string> operands;
};

struct OptionSpec {
  char shortName;
  std::string_view longName;
  bool takesValue;
};
constexpr OptionSpec kOptions[] = {
    {'c', "code", false},   {'a', "area", false},     {'e', "exact", false}, {'p', "pref", true},
    {'l', "list", true},    {'n', "number", false},   {'f', "format", true}, {'h', "help", false},
    {'V', "version", false},
};

void Set(Options& o, char name, std::optional<std::string> value) {
  switch (name) {
    case 'c': o.code = true; break;
    case 'a': o.area = true; break;
    case 'e': o.exact = true; break;
    case 'n': o.number = true; break;
    case 'h': o.help = true; break;
    case 'V': o.version = true; break;
    case 'p': o.pref = value; break;
    case 'l': o.list = value; break;
    case 'f': o.format = value; break;
    default: break;
  }
}

Options Parse(const std::vector<std::string>& args) {
  Options o;
  bool operandsOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (operandsOnly || a.size() < 2 || a[0] != '-') {
      o.operands.push_back(a);
    } else if (a == "--") {
      operandsOnly = true;
    } else if (a.starts_with("--")) {
      const size_t eq = a.find('=');
      const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
      const OptionSpec* option = nullptr;
      for (const OptionSpec& s : kOptions)
        if (s.longName == name) option = &s;
      if (!option) throw UsageError("unknown option '--" + name + "'");
      std::optional<std::string> value;
      if (eq != std::string::npos) {
        if (!option->takesValue) throw UsageError("option '--" + name + "' takes no value");
        value = a.substr(eq + 1);
      } else if (option->takesValue) {
        if (++i == args.size()) throw UsageError("option '--" + name + "' needs a value");
        value = args[i];
      }
      Set(o, option->shortName, value);
    } else {
      // A cluster of short options; the first that takes a value takes the
      // rest of the cluster, or the next argument.
      for (size_t k = 1; k < a.size(); ++k) {
        const OptionSpec* option = nullptr;
        for (const OptionSpec& s : kOptions)
          if (s.shortName == a[k]) option = &s;
        if (!option) throw UsageError("unknown option '-" + a.substr(k, 1) + "'");
        if (!option->takesValue) {
          Set(o, option->shortName, std::nullopt);
          continue;
        }
        std::string value = a.substr(k + 1);
        if (value.empty()) {
          if (++i == args.size()) throw UsageError("option '-" + a.substr(k, 1) + "' needs a value");
          value = args[i];
        }
        Set(o, option->shortName, value);
        break;
      }
    }
  }
  return o;
}

std::u16string DecodeArgument(const std::string& arg, std::string_view what) {
  Decoded d = DecodeUtf8(arg);
  if (!d.Valid()) throw UsageError(std::string(what) + " is not valid UTF-8");
  return std::move(d.text);
}

std::u16string_view RequirePref(const std::string& arg, std::string_view option) {
  const std::u16string name = DecodeArgument(arg, option);
  const std::u16string_view choice = PrefChoiceFor(name);
  if (!choice.empty()) return choice;
  PrefList prefs;
  prefs.Fill();
  std::string message = "unknown prefecture '" + arg + "' for " + std::string(option) + "; valid names:";
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
  throw UsageError("unknown format '" + *o.format + "' (aligned, tsv or json)");
}

// Rows of a search or listing: the window's cells, the always-empty 旧
// column left out and the area last, where its length does not push other
// columns aside. JSON carries the area unmarked, with the old-name flag.
void WriteResultRow(RowWriter& w, const DirectoryStore& store, const PrefList& prefs, int i, int counter,
                    bool withCd) {
  auto cells = ResultRowTexts(store.Directory, prefs, i, counter, withCd);
  if (w.Kind() == Format::Json) {
    JsonObject o;
    o.Text("no", cells[0]).Text("code", cells[1]).Text("pref", cells[2]);
    o.Text("area", store.Directory.Area(i)).Bool("old", store.Directory.CdValue(i) == 2);
    if (withCd) o.Text("cd", cells[5]);
    w.Json(o);
  } else if (withCd) {
    w.Cells({std::move(cells[0]), std::move(cells[1]), std::move(cells[2]), std::move(cells[5]), std::move(cells[3])});
  } else {
    w.Cells({std::move(cells[0]), std::move(cells[1]), std::move(cells[2]), std::move(cells[3])});
  }
}

int Finish(RowWriter& w, std::FILE* err, int status) {
  if (w.Finish()) return status;
  std::fprintf(err, "%s: cannot write the output\n", kProgram.data());
  return kExitUsage;
}

int RunSearch(const Options& o, Format format, std::FILE* out, std::FILE* err) {
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
  RowWriter w(format, out);
  w.Header({u"No", u"局番", u"都道府県", u"CD", u"対象区域"});
  const SearchSettings settings = CaptureSettings(choice, o.exact ? 1 : 0, areaMode);
  int counter = 0;
  WalkSearch(store, query, choice, settings, [&](int i) { WriteResultRow(w, store, prefs, i, counter++, true); });
  w.Footer(CountLineText(counter));
  return Finish(w, err, counter > 0 ? kExitAllFound : kExitSomeNotFound);
}

int RunListing(const Options& o, Format format, std::FILE* out, std::FILE* err) {
  if (!o.operands.empty()) throw UsageError("--list takes no query");
  const std::u16string_view choice = RequirePref(*o.list, "--list");
  if (choice == kWholeCountry) throw UsageError("--list needs one prefecture or 共通; 全国 lists nothing");
  const DirectoryStore& store = LoadedStore();
  PrefList prefs;
  prefs.Fill();
  RowWriter w(format, out);
  w.Header({u"No", u"局番", u"都道府県", u"対象区域"});
  int counter = 0;
  WalkListing(store, choice, [&](int i) { WriteResultRow(w, store, prefs, i, counter++, false); });
  w.Footer(CountLineText(counter));
  return Finish(w, err, counter > 0 ? kExitAllFound : kExitSomeNotFound);
}

std::u16string Decimal(size_t n) {
  const std::string digits = std::to_string(n);
  return {digits.begin(), digits.end()};
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\u00A0' || c == u'\u3000' ||
         c == u'\uFEFF';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// One number after another, in input order, each answered with every row of
// its code or with the reason it has none.
class NumberRun {
 public:
  NumberRun(RowWriter& w, bool batch) : w_(w), batch_(batch), store_(LoadedStore()), index_(store_) {
    prefs_.Fill();
    w_.Header({u"入力", u"番号", u"局番", u"都道府県", u"対象区域"});
  }

  void Bytes(std::string_view bytes, bool tooLong) {
    ++line_;
    const Decoded d = DecodeUtf8(bytes);
    const std::u16string_view input = TrimBlanks(d.text);
    if (tooLong) {
      Unresolved(input, nullptr, u"longer than " + Decimal(kMaxLineBytes) + u" bytes");
    } else if (!d.Valid()) {
      Unresolved(input, nullptr, u"not valid UTF-8 (byte " + Decimal(d.badByte) + u")");
    } else if (!input.empty() || !batch_) {
      const NumberAnswer a = index_.Resolve(input);
      if (a.problem == NumberProblem::None)
        Resolved(input, a);
      else
        Unresolved(input, &a, ReasonText(a));
    }
  }

  size_t Total() const { return total_; }
  size_t Failed() const { return failed_; }

 private:
  JsonObject Start(std::u16string_view input) {
    JsonObject o;
    if (batch_) o.Number("line", static_cast<long long>(line_));
    o.Text("input", input);
    return o;
  }

  void Resolved(std::u16string_view input, const NumberAnswer& a) {
    ++total_;
    const std::u16string digits(a.digits.begin(), a.digits.end());
    if (w_.Kind() == Format::Aligned) {
      for (int16_t i : a.rows) {
        auto cells = ResultRowTexts(store_.Directory, prefs_, i, 0, false);
        w_.Cells({std::u16string(input), digits, std::move(cells[1]), std::move(cells[2]), std::move(cells[3])});
      }
      return;
    }
    // A line is the number's own part followed by the row's part; the row's
    // part is encoded once per row and reused, which keeps batches fast.
    std::string head;
    if (w_.Kind() == Format::Json) {
      head = Start(input).Text("number", digits).Open();
    } else {
      head = ToUtf8(TextCell(input)) + '\t' + a.digits + '\t';
    }
    for (int16_t i : a.rows) {
      std::string line = head;
      line += RowPart(i);
      w_.Raw(line);
    }
  }

  const std::string& RowPart(int i) {
    std::string& part = rowParts_[static_cast<size_t>(i)];
    if (!part.empty()) return part;
    const auto cells = ResultRowTexts(store_.Directory, prefs_, i, 0, false);
    if (w_.Kind() == Format::Json) {
      JsonObject o;
      o.Text("code", cells[1]).Text("pref", cells[2]).Text("area", store_.Directory.Area(i));
      o.Bool("old", store_.Directory.CdValue(i) == 2).Null("reason");
      part = "," + o.Str().substr(1) + "\n";
    } else {
      part = ToUtf8(TextCell(cells[1]) + u"\t" + TextCell(cells[2]) + u"\t" + TextCell(cells[3])) + "\t\n";
    }
    return part;
  }

  void Unresolved(std::u16string_view input, const NumberAnswer* a, const std::u16string& reason) {
    ++total_;
    ++failed_;
    // The digits are shown when they are this country's number as written.
    const bool withDigits = a && a->problem != NumberProblem::Junk && a->problem != NumberProblem::NotJapan &&
                            a->problem != NumberProblem::Empty && a->digits.size() == a->digitCount;
    const std::u16string digits = withDigits ? std::u16string(a->digits.begin(), a->digits.end()) : u"";
    if (w_.Kind() == Format::Json) {
      JsonObject o = Start(input);
      if (withDigits)
        o.Text("number", digits);
      else
        o.Null("number");
      o.Null("code").Null("pref").Null("area").Null("old").Text("reason", reason);
      w_.Json(o);
    } else {
      // Text rows carry no line member: the reason says which line it was.
      const std::u16string where = batch_ ? u"line " + Decimal(line_) + u": " : u"";
      if (w_.Kind() == Format::Tsv)
        w_.Cells({std::u16string(input), digits, u"", u"", u"", where + reason});
      else
        w_.Cells({std::u16string(input), digits, u"", u"", u"error: " + where + reason});
    }
  }

  RowWriter& w_;
  bool batch_;
  const DirectoryStore& store_;
  CodeIndex index_;
  PrefList prefs_;
  std::vector<std::string> rowParts_ = std::vector<std::string>(kSlotCount);
  size_t line_ = 0, total_ = 0, failed_ = 0;
};

// Reads one line without its newline; false at the end of the input. Bytes
// past kMaxLineBytes are read and dropped, so no line can exhaust memory.
bool ReadLine(std::FILE* in, std::string& line, bool& tooLong) {
  line.clear();
  tooLong = false;
  int c;
  bool any = false;
  while ((c = getc_unlocked(in)) != EOF) {
    any = true;
    if (c == '\n') return true;
    if (line.size() < kMaxLineBytes)
      line += static_cast<char>(c);
    else
      tooLong = true;
  }
  return any;
}

int RunNumbers(const Options& o, Format format, std::FILE* in, std::FILE* out, std::FILE* err) {
  if (o.operands.empty()) throw UsageError("--number needs numbers, or '-' to read them from standard input");
  RowWriter w(format, out);
  const bool batch = o.operands.size() == 1 && o.operands[0] == "-";
  NumberRun run(w, batch);
  if (batch) {
    std::string line;
    bool tooLong = false;
    // Someone typing numbers sees each answer before typing the next.
    const bool interactive = isatty(fileno(in)) == 1;
    while (ReadLine(in, line, tooLong)) {
      run.Bytes(line, tooLong);
      if (interactive) w.Flush();
    }
    if (std::ferror(in)) {
      w.Finish();
      std::fprintf(err, "%s: cannot read standard input\n", kProgram.data());
      return kExitUsage;
    }
  } else {
    for (const std::string& number : o.operands) {
      if (number == "-") throw UsageError("'-' reads standard input and stands alone");
      run.Bytes(number, false);
    }
  }
  // After the rows, so that at a terminal the count follows the table.
  const int status = Finish(w, err, run.Failed() > 0 ? kExitSomeNotFound : kExitAllFound);
  if (run.Failed() > 0)
    std::fprintf(err, "%s: %zu of %zu numbers not resolved\n", kProgram.data(), run.Failed(), run.Total());
  return status;
}

int Run(const Options& o, std::FILE* in, std::FILE* out, std::FILE* err, bool outIsTerminal) {
  if (o.help) {
    std::fputs(kHelp.data(), out);
    return kExitAllFound;
  }
  if (o.version) {
    std::fprintf(out, "%s %d.%d.%d\n", kProgram.data(), kVersionMajor, kVersionMinor, kVersionRevision);
    return kExitAllFound;
  }
  if (o.code && o.area) throw UsageError("--code and --area exclude each other");
  const bool searchOptions = o.code || o.area || o.exact || o.pref;
  if (o.list && o.number) throw UsageError("--list and --number exclude each other");
  if ((o.list || o.number) && searchOptions)
    throw UsageError("--code, --area, --exact and --pref belong to a search, not to --list or --number");
  const Format format = ChooseFormat(o, outIsTerminal);
  if (o.list) return RunListing(o, format, out, err);
  if (o.number) return RunNumbers(o, format, in, out, err);
  return RunSearch(o, format, out, err);
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

std::u16string ReasonText(const NumberAnswer& a) {
  const std::u16string range =
      u"; a number has " + Decimal(kMinNumberDigits) + u" to " + Decimal(kMaxNumberDigits) + u" digits";
  switch (a.problem) {
    case NumberProblem::None: return u"";
    case NumberProblem::Empty: return u"empty";
    case NumberProblem::Junk: {
      static constexpr char16_t kHex[] = u"0123456789ABCDEF";
      std::u16string code = u"U+";
      for (int shift = a.junk > 0xFFFF ? 16 : 12; shift >= 0; shift -= 4) code += kHex[(a.junk >> shift) & 0xF];
      const bool printable = a.junk > 0x20 && a.junk != 0x7F && !(a.junk >= 0x80 && a.junk < 0xA0) &&
                             !(a.junk >= 0xD800 && a.junk <= 0xDFFF);
      std::u16string shown;
      if (printable) {
        std::u16string ch;
        if (a.junk > 0xFFFF) {
          ch += static_cast<char16_t>(0xD800 + ((a.junk - 0x10000) >> 10));
          ch += static_cast<char16_t>(0xDC00 + ((a.junk - 0x10000) & 0x3FF));
        } else {
          ch += static_cast<char16_t>(a.junk);
        }
        shown = u"\"" + ch + u"\" (" + code + u")";
      } else {
        shown = code;
      }
      return u"contains " + shown + u", which no telephone number holds";
    }
    case NumberProblem::NotJapan: return u"not a Japanese number: only +81 is resolved";
    case NumberProblem::TooShort:
      return a.digitCount == 0 ? u"no digits" : Decimal(a.digitCount) + u" digits" + range;
    case NumberProblem::TooLong: return Decimal(a.digitCount) + u" digits" + range;
    case NumberProblem::NoCode: return u"no area code or service number begins " + std::u16string(a.digits.begin(), a.digits.end());
  }
  return u"";
}

int RunLookup(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
              bool outIsTerminal) {
  try {
    return Run(Parse(args), in, out, err, outIsTerminal);
  } catch (const UsageError& e) {
    std::fprintf(err, "%s: %s\nTry '%s --help' for more information.\n", kProgram.data(), e.what(),
                 kProgram.data());
    return kExitUsage;
  }
}

}  // namespace telvara::cli
