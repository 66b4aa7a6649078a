#include "cli/Input.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "cli/Utf8.h"

namespace telvara::cli {
namespace {
constexpr size_t kNone = static_cast<size_t>(-1);
}

void LineReader::Fill() {
  buffer_.erase(0, pos_);
  pos_ = 0;
  constexpr size_t kBlock = 1 << 17;
  const size_t had = buffer_.size();
  buffer_.resize(had + kBlock);
  ssize_t n;
  do n = read(fd_, buffer_.data() + had, kBlock);
  while (n < 0 && errno == EINTR);
  if (n < 0) error_ = errno;
  if (n <= 0) end_ = true;
  buffer_.resize(had + static_cast<size_t>(n > 0 ? n : 0));
}

bool LineReader::Next(std::string_view& line, bool& tooLong) {
  tooLong = false;
  for (;;) {
    const char* start = buffer_.data() + pos_;
    const size_t held = buffer_.size() - pos_;
    if (const void* nl = std::memchr(start, '\n', std::min(held, kMaxLineBytes + 1))) {
      line = {start, static_cast<size_t>(static_cast<const char*>(nl) - start)};
      pos_ += line.size() + 1;
    } else if (held > kMaxLineBytes) {
      longLine_.assign(start, kMaxLineBytes);
      tooLong = true;
      line = longLine_;
      size_t from = pos_ + kMaxLineBytes;  // the rest of the line is dropped
      for (;;) {
        if (const void* rest = std::memchr(buffer_.data() + from, '\n', buffer_.size() - from)) {
          pos_ = static_cast<size_t>(static_cast<const char*>(rest) - buffer_.data()) + 1;
          break;
        }
        pos_ = buffer_.size();
        if (end_) break;
        Fill();
        from = 0;
      }
    } else if (end_) {
      if (held == 0) return false;
      line = {start, held};  // the last line, without a newline
      pos_ = buffer_.size();
    } else {
      Fill();
      continue;
    }
    if (!tooLong && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }
}

std::string_view EncodingFor(std::string_view name) {
  std::string lower;
  for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c == '_' ? '-' : c;
  if (lower == "utf-8" || lower == "utf8") return "utf-8";
  // Windows writes Shift_JIS as code page 932, with NEC and IBM extensions
  // (①, ㈱, 髙) and 0x5C as the backslash; that is what files named
  // Shift_JIS hold in practice.
  if (lower == "cp932" || lower == "sjis" || lower == "shift-jis") return "cp932";
  return {};
}

Decoder::Decoder(std::string_view encoding) {
  if (encoding != "cp932") return;
  cd_ = iconv_open(std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE", "CP932");
  if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("glibc iconv has no CP932 converter");
}

Decoder::~Decoder() {
  if (cd_) iconv_close(cd_);
}

size_t Decoder::Append(std::u16string& text, std::string_view bytes) {
  if (!cd_) return AppendDecodedUtf8(text, bytes);
  size_t bad = kNone;
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char16_t units[512];
    char* out = reinterpret_cast<char*>(units);
    size_t outLeft = sizeof units;
    const size_t result = iconv(cd_, &in, &inLeft, &out, &outLeft);
    const int error = errno;
    text.append(units, static_cast<size_t>(out - reinterpret_cast<char*>(units)) / sizeof(char16_t));
    if (result == static_cast<size_t>(-1) && error != E2BIG) {
      // EILSEQ or EINVAL: this byte starts no character; go on after it.
      if (bad == kNone) bad = bytes.size() - inLeft;
      text += static_cast<char16_t>(kByteEscape | static_cast<unsigned char>(*in));
      ++in;
      --inLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return bad;
}

bool SplitFields(std::u16string_view record, char16_t delimiter, bool quoting, std::vector<std::u16string>& fields) {
  fields.clear();
  std::u16string* field = &fields.emplace_back();
  bool quoted = false;
  for (size_t i = 0; i < record.size(); ++i) {
    const char16_t c = record[i];
    if (quoted) {
      if (c != u'"') {
        *field += c;
      } else if (i + 1 < record.size() && record[i + 1] == u'"') {
        *field += u'"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == delimiter) {
      field = &fields.emplace_back();
    } else if (c == u'"' && quoting && field->empty() && (i == 0 || record[i - 1] == delimiter)) {
      quoted = true;
    } else {
      *field += c;  // a quote inside an unquoted field is text
    }
  }
  return !quoted;
}

bool RecordReader::NextLine(std::string_view& bytes, bool& tooLong, size_t& number) {
  if (!pushedBack_.empty()) {
    current_ = std::move(pushedBack_.front().bytes);
    tooLong = pushedBack_.front().tooLong;
    number = pushedBack_.front().number;
    pushedBack_.pop_front();
    bytes = current_;
    return true;
  }
  if (!lines_.Next(bytes, tooLong)) return false;
  number = ++lineCount_;
  return true;
}

void RecordReader::Decode(Record& r, std::string_view bytes, size_t number, size_t offset) {
  if (number == 1 && decoder_.Utf8() && bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const size_t bad = decoder_.Append(r.text, bytes);
  if (bad != kNone && r.badByte == 0) r.badByte = offset + bad + 1;
}

bool RecordReader::Next(Record& r) {
  std::string_view bytes;
  bool tooLong = false;
  r.text.clear();
  r.badByte = 0;
  r.unclosedQuote = false;
  if (!NextLine(bytes, tooLong, r.line)) return false;
  r.tooLong = tooLong;
  r.bytes = bytes;
  r.ascii = asciiLines_ && !tooLong && decoder_.Utf8() &&
            std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  if (r.ascii) return true;
  Decode(r, bytes, r.line, 0);
  if (!quoting_ || tooLong || SplitFields(r.text, delimiter_, true, scratch_)) return true;

  // A quoted field goes on over the line break: lines are joined while it
  // stays open.
  std::vector<Line> joined{{std::string(bytes), false, r.line}};
  size_t size = bytes.size();
  std::string_view more;
  size_t number = 0;
  while (NextLine(more, tooLong, number)) {
    joined.push_back({std::string(more), tooLong, number});
    size += 1 + more.size();
    if (tooLong || size > kMaxLineBytes) break;
    r.text += u'\n';
    Decode(r, more, number, size - more.size());
    if (SplitFields(r.text, delimiter_, true, scratch_)) return true;
  }
  // It never closes: the first line stands alone, and the lines read after
  // it are read again as records of their own, so that none is lost.
  for (size_t k = joined.size(); k-- > 1;) pushedBack_.push_front(std::move(joined[k]));
  r.text.clear();
  r.badByte = 0;
  Decode(r, joined[0].bytes, r.line, 0);
  r.unclosedQuote = true;
  return true;
}

}  // namespace telvara::cli
