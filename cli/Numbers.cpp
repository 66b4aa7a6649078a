#include "cli/Numbers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "cli/Input.h"
#include "cli/Utf8.h"
#include "directory/PrefList.h"
#include "search/ResultRows.h"

namespace telvara::cli {
namespace {

std::u16string Decimal(size_t n) {
  const std::string digits = std::to_string(n);
  return {digits.begin(), digits.end()};
}

void AppendDecimal(std::string& out, size_t n) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
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

// How messages name an input.
std::string InputName(std::string_view operand) { return operand == "-" ? "standard input" : Shown(operand); }

// Output pieces are copied in whole blocks of kBlock bytes, which costs less
// than a call to memcpy for pieces this short. So each piece carries kBlock
// bytes of padding after its text, for the last block to read, and the room
// it goes into has that much to spare, for the last block to write.
constexpr size_t kBlock = 32;

void Pad(std::string& piece) { piece.append(kBlock, '\0'); }
size_t TextSize(const std::string& padded) { return padded.size() - kBlock; }

char* CopyBlocks(char* out, const std::string& padded) {
  const size_t size = TextSize(padded);
  for (size_t k = 0; k < size; k += kBlock) std::memcpy(out + k, padded.data() + k, kBlock);
  return out + size;
}

std::string& AppendJsonList(std::string& out, const std::vector<std::u16string_view>& texts) {
  out += '[';
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) out += ',';
    AppendJsonString(out, texts[i]);
  }
  return out += ']';
}

std::string Json(std::u16string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

// One number after another, in input order, each answered with every row of
// its code or with the reason it has none. What a row adds to a line is
// prepared once per row, so a line costs little more than copying it.
class NumberRun {
 public:
  NumberRun(const NumberSettings& s, Sink& sink, std::FILE* err)
      : s_(s), sink_(sink), err_(err), table_(sink), store_(LoadedStore()), index_(store_) {
    prefs_.Fill();
    showFile_ = s.batch && s.operands.size() > 1;
  }

  void SetInput(std::string_view name) {
    fileName_ = InputName(name);
    fileCell_ = Shown(name);
    fileJson_ = Json(DecodeUtf8(name).text);
    width_ = 0;
  }

  // One record of an input; false when it holds nothing (a blank line).
  bool Record(const RecordReader::Record& r, bool header);
  void Operand(std::string_view bytes);
  void Flush() {
    table_.Flush();
    sink_.Drain();
  }
  size_t Total() const { return total_; }
  size_t Failed() const { return failed_; }

 private:
  bool AsciiLine(const RecordReader::Record& r);
  void Answer(size_t line, const NumberAnswer& a, size_t numberAt);
  void Header(size_t line);
  void Heading(std::vector<std::string> fields);
  const std::string& RowPart(int i);
  const std::array<std::string, 3>& RowCells(int i);

  const NumberSettings& s_;
  Sink& sink_;
  std::FILE* err_;
  Table table_;
  const DirectoryStore& store_;
  CodeIndex index_;
  PrefList prefs_;
  bool showFile_ = false, hinted_ = false, headed_ = false;
  std::string fileName_, fileCell_, fileJson_;
  std::vector<std::u16string> fields_;
  std::u16string decoded_;
  std::vector<std::u16string_view> views_;  // the fields of the record, or its trimmed text
  std::string_view asciiInput_;             // or the line, when it is printable ASCII
  std::u16string reason_;
  std::string head_;
  std::vector<std::string> rowParts_ = std::vector<std::string>(kSlotCount);
  std::vector<std::array<std::string, 3>> rowCells_ = std::vector<std::array<std::string, 3>>(kSlotCount);
  size_t width_ = 0;  // fields of the first record of the input
  size_t total_ = 0, failed_ = 0;
};

// A line of printable ASCII, as most are: resolved without decoding it, and
// shown as it is.
bool NumberRun::AsciiLine(const RecordReader::Record& r) {
  std::string_view line = r.bytes;
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  if (line.empty()) return false;
  width_ = 1;
  const NumberAnswer a = index_.Resolve(line);
  reason_.clear();
  if (a.problem != NumberProblem::None) reason_ = ReasonText(a);
  asciiInput_ = line;
  Answer(r.line, a, 0);
  asciiInput_ = {};
  return true;
}

bool NumberRun::Record(const RecordReader::Record& r, bool header) {
  if (r.ascii && !header) return AsciiLine(r);
  std::u16string_view text = r.text;
  if (r.ascii) {
    decoded_.clear();
    AppendDecodedUtf8(decoded_, r.bytes);
    text = decoded_;
  }
  views_.clear();
  size_t numberAt = 0;
  if (s_.field == 0) {
    views_.push_back(TrimBlanks(text));
  } else {
    SplitFields(text, s_.delimiter, s_.Quoting(), fields_);
    views_.assign(fields_.begin(), fields_.end());
    numberAt = s_.field - 1;
  }
  // A blank line, or a record of blank fields as spreadsheets write below
  // their rows, holds nothing.
  if (!r.tooLong && std::all_of(views_.begin(), views_.end(), [](auto v) { return TrimBlanks(v).empty(); }))
    return false;
  if (r.badByte != 0 && s_.encoding == "utf-8" && !hinted_) {
    hinted_ = true;
    std::fprintf(err_, "%s: %s: line %zu is not valid UTF-8; for Shift_JIS (code page 932) use --encoding cp932\n",
                 kProgram.data(), fileName_.c_str(), r.line);
  }
  if (width_ == 0) width_ = views_.size();
  if (header) {
    Header(r.line);
    return true;
  }
  reason_.clear();
  NumberAnswer a;
  if (r.tooLong) {
    reason_ = u"longer than " + Decimal(kMaxLineBytes) + u" bytes";
  } else if (r.unclosedQuote) {
    reason_ = u"a quoted field is not closed";
  } else if (numberAt >= views_.size()) {
    reason_ = u"no field " + Decimal(numberAt + 1) + u"; the line has " + Decimal(views_.size());
  } else if (const std::u16string_view number = TrimBlanks(views_[numberAt]);
             std::any_of(number.begin(), number.end(), IsEscapedByte)) {
    reason_ = (s_.encoding == "utf-8" ? u"not valid UTF-8 (byte " : u"not valid CP932 (byte ") + Decimal(r.badByte) + u")";
  } else {
    a = index_.Resolve(number);
    if (a.problem != NumberProblem::None) reason_ = ReasonText(a);
  }
  // Text rows short of fields are filled up to the first record of their
  // input, so that the answer columns stay in place.
  if (s_.format != Format::Json && views_.size() < width_) views_.resize(width_);
  Answer(r.line, a, numberAt);
  return true;
}

void NumberRun::Operand(std::string_view bytes) {
  const Decoded d = DecodeUtf8(bytes);
  views_.assign(1, TrimBlanks(d.text));
  NumberAnswer a;
  if (d.Valid()) {
    a = index_.Resolve(views_[0]);
    reason_ = ReasonText(a);
  } else {
    reason_ = u"not valid UTF-8 (byte " + Decimal(d.badByte) + u")";
  }
  Answer(0, a, 0);
}

void NumberRun::Answer(size_t line, const NumberAnswer& a, size_t numberAt) {
  ++total_;
  const bool resolved = reason_.empty();
  failed_ += !resolved;
  // The digits are shown when they are this country's number as written.
  const bool withDigits = !a.digits.empty() && a.digits.size() == a.digitCount &&
                          a.problem != NumberProblem::Junk && a.problem != NumberProblem::NotJapan;
  const std::string_view digits = withDigits ? std::string_view(a.digits) : std::string_view();
  const std::u16string_view input = numberAt < views_.size() ? views_[numberAt] : std::u16string_view();

  if (s_.format == Format::Aligned) {
    if (!headed_) {
      std::vector<std::string> fields(views_.size());
      fields[std::min(numberAt, fields.size() - 1)] = "入力";
      Heading(std::move(fields));
    }
    std::vector<std::string> cells;
    if (showFile_) cells.push_back(fileCell_);
    for (std::u16string_view v : views_) cells.push_back(Cell(v));
    cells.emplace_back(digits);
    if (!resolved) {
      std::u16string error = u"error: ";
      if (line > 0) error += u"line " + Decimal(line) + u": ";
      cells.insert(cells.end(), {"", "", Cell(error + reason_)});
      table_.Row(std::move(cells));
      return;
    }
    for (int16_t i : a.rows) {
      std::vector<std::string> row = cells;
      const auto& parts = RowCells(i);
      row.insert(row.end(), parts.begin(), parts.end());
      table_.Row(std::move(row));
    }
    return;
  }

  head_.clear();
  if (s_.format == Format::Tsv) {
    if (showFile_) head_.append(fileCell_) += '\t';
    if (line > 0) AppendDecimal(head_, line), head_ += '\t';
    if (!asciiInput_.empty()) head_.append(asciiInput_) += '\t';
    else for (std::u16string_view v : views_) AppendShown(head_, v), head_ += '\t';
    head_.append(digits) += '\t';
  } else {
    head_ += '{';
    if (showFile_) head_.append("\"file\":").append(fileJson_) += ',';
    if (line > 0) head_ += "\"line\":", AppendDecimal(head_, line), head_ += ',';
    if (s_.field > 0) AppendJsonList(head_.append("\"fields\":"), views_) += ',';
    head_ += "\"input\":";
    if (numberAt < views_.size())
      AppendJsonString(head_, input);
    else
      head_ += "null";
    head_ += ",\"number\":";
    if (withDigits) head_.append("\"").append(digits) += '"';
    else head_ += "null";
  }
  if (!resolved) {
    if (s_.format == Format::Tsv) {
      head_ += "\t\t\t";
      AppendShown(head_, reason_);
      head_ += '\n';
    } else {
      head_ += ",\"code\":null,\"pref\":null,\"area\":null,\"old\":null,\"reason\":";
      AppendJsonString(head_, reason_);
      head_ += "}\n";
    }
    sink_.Put(head_);
    return;
  }
  // The number's own part, then each row's prepared part: sized once, then
  // copied, since this is where a batch spends its time.
  Pad(head_);
  size_t size = 0;
  for (int16_t i : a.rows) {
    const std::string& part = rowParts_[static_cast<size_t>(i)];
    size += TextSize(head_) + TextSize(part.empty() ? RowPart(i) : part);
  }
  char* out = sink_.Room(size + kBlock);
  for (int16_t i : a.rows) out = CopyBlocks(CopyBlocks(out, head_), rowParts_[static_cast<size_t>(i)]);
  sink_.Commit(size);
}

void NumberRun::Heading(std::vector<std::string> fields) {
  std::vector<std::string> cells;
  if (showFile_) cells.emplace_back("ファイル");
  cells.insert(cells.end(), fields.begin(), fields.end());
  cells.insert(cells.end(), {"番号", "局番", "都道府県", "対象区域"});
  // A later input's header is a row of its own.
  if (headed_) table_.Row(std::move(cells));
  else table_.Heading(std::move(cells));
  headed_ = true;
}

// A header line is kept, with the names of the columns the answers add.
void NumberRun::Header(size_t line) {
  if (s_.format == Format::Aligned) {
    std::vector<std::string> fields;
    for (std::u16string_view v : views_) fields.push_back(Cell(v));
    Heading(std::move(fields));
    return;
  }
  std::string out;
  if (s_.format == Format::Tsv) {
    if (showFile_) out += "file\t";
    out += "line\t";
    for (std::u16string_view v : views_) AppendShown(out, v), out += '\t';
    out += "number\tcode\tpref\tarea\treason\n";
  } else {
    out += '{';
    if (showFile_) out.append("\"file\":").append(fileJson_) += ',';
    out += "\"line\":";
    AppendDecimal(out, line);
    AppendJsonList(out.append(",\"header\":"), views_) += "}\n";
  }
  sink_.Put(out);
}

// What a directory row adds to a line: its code, prefecture and area.
const std::string& NumberRun::RowPart(int i) {
  std::string& part = rowParts_[static_cast<size_t>(i)];
  if (!part.empty()) return part;
  if (s_.format == Format::Json) {
    const auto cells = ResultRowTexts(store_.Directory, prefs_, i, 0, false);
    JsonObject o;
    o.Text("code", cells[1]).Text("pref", cells[2]).Text("area", store_.Directory.Area(i));
    o.Bool("old", store_.Directory.CdValue(i) == 2).Null("reason");
    part = "," + o.Str().substr(1) + "\n";
  } else {
    const auto& cells = RowCells(i);
    part = cells[0] + '\t' + cells[1] + '\t' + cells[2] + "\t\n";
  }
  Pad(part);
  return part;
}

const std::array<std::string, 3>& NumberRun::RowCells(int i) {
  auto& cells = rowCells_[static_cast<size_t>(i)];
  if (cells[0].empty()) {
    const auto texts = ResultRowTexts(store_.Directory, prefs_, i, 0, false);
    cells = {Cell(texts[1]), Cell(texts[2]), Cell(texts[3])};
  }
  return cells;
}

}  // namespace

std::u16string ReasonText(const NumberAnswer& a) {
  const auto range = [] {
    return u"; a number has " + Decimal(kMinNumberDigits) + u" to " + Decimal(kMaxNumberDigits) + u" digits";
  };
  switch (a.problem) {
    case NumberProblem::None: return u"";
    case NumberProblem::Empty: return u"empty";
    case NumberProblem::Junk: {
      std::u16string shown = CodePointName(a.junk);
      // A character that would be shown escaped is named by its code only.
      if (!IsHidden(a.junk) && !(a.junk >= 0xD800 && a.junk <= 0xDFFF)) {
        std::u16string ch;
        AppendCodePoint(ch, a.junk);
        shown = u"\"" + ch + u"\" (" + shown + u")";
      }
      return u"contains " + shown + u", which no telephone number holds";
    }
    case NumberProblem::NotJapan: return u"not a Japanese number: only +81 is resolved";
    case NumberProblem::TooShort:
      return a.digitCount == 0 ? u"no digits" : Decimal(a.digitCount) + u" digits" + range();
    case NumberProblem::TooLong: return Decimal(a.digitCount) + u" digits" + range();
    case NumberProblem::NoCode:
      return u"no area code or service number begins " + std::u16string(a.digits.begin(), a.digits.end());
  }
  return u"";
}

int RunNumbers(const NumberSettings& s, int in, Sink& sink, std::FILE* err) {
  NumberRun run(s, sink, err);
  bool unreadable = false;
  if (!s.batch) {
    for (const std::string& number : s.operands) run.Operand(number);
  } else {
    Decoder decoder(s.encoding);
    for (const std::string& name : s.operands) {
      const int fd = name == "-" ? in : open(name.c_str(), O_RDONLY | O_CLOEXEC);
      run.SetInput(name);
      if (fd < 0) {
        std::fprintf(err, "%s: %s: %s\n", kProgram.data(), InputName(name).c_str(), std::strerror(errno));
        unreadable = true;
        continue;
      }
      RecordReader records(fd, decoder, s.Quoting(), s.delimiter, s.field == 0 && s.format == Format::Tsv);
      // Someone typing numbers sees each answer before typing the next.
      const bool interactive = isatty(fd) == 1;
      bool headerDue = s.header;
      RecordReader::Record r;
      while (records.Next(r)) {
        if (run.Record(r, headerDue)) headerDue = false;
        if (interactive) run.Flush();
      }
      if (records.Error() != 0) {
        std::fprintf(err, "%s: %s: %s\n", kProgram.data(), InputName(name).c_str(), std::strerror(records.Error()));
        unreadable = true;
      }
      if (fd != in) close(fd);
    }
  }
  run.Flush();
  if (run.Failed() > 0)
    std::fprintf(err, "%s: %zu of %zu numbers not resolved\n", kProgram.data(), run.Failed(), run.Total());
  return unreadable ? 2 : run.Failed() > 0 ? 1 : 0;
}

}  // namespace telvara::cli
