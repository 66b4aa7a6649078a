#pragma once
// Input as address books hold it: lines read in large blocks, in UTF-8 or in
// code page 932 (Shift_JIS), and records of delimited fields, quoted as
// RFC 4180 says.
#include <iconv.h>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace telvara::cli {

// Input lines longer than this are reported, not resolved; only their start is kept.
inline constexpr size_t kMaxLineBytes = 4096;

// The lines of one file descriptor, without their newline (nor a carriage
// return before it). Bytes past kMaxLineBytes are read and dropped, so no
// line can exhaust memory.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}
  // The next line, valid until the next call; false at the end of the input
  // or when reading failed (see Error).
  bool Next(std::string_view& line, bool& tooLong);
  int Error() const { return error_; }  // errno of a failed read, or 0

 private:
  void Fill();
  int fd_;
  std::string buffer_, longLine_;
  size_t pos_ = 0;
  bool end_ = false;
  int error_ = 0;
};

// Bytes to text in the input's encoding. A byte that starts no character is
// kept escaped (see kByteEscape in cli/Utf8.h).
class Decoder {
 public:
  // encoding: "utf-8" or "cp932"; see EncodingFor.
  explicit Decoder(std::string_view encoding);
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  // Appends the text of bytes; returns the 0-based offset of the first byte
  // that starts no character, or npos.
  size_t Append(std::u16string& text, std::string_view bytes);
  bool Utf8() const { return cd_ == nullptr; }

 private:
  iconv_t cd_ = nullptr;
};

// The encoding a --encoding name stands for ("utf-8" or "cp932"), or empty.
std::string_view EncodingFor(std::string_view name);

// Splits a record at delimiter into fields. With quoting, a field that
// begins with '"' runs to the next lone '"' (delimiters and line breaks
// inside are text, "" is one '"'), as RFC 4180 quotes. Returns false when a
// quoted field is still open at the end of the record.
bool SplitFields(std::u16string_view record, char16_t delimiter, bool quoting, std::vector<std::u16string>& fields);

// Records of one input: lines decoded, a trailing carriage return and a
// leading UTF-8 byte order mark left out; with quoting, a record goes on
// over line breaks inside quotes, within kMaxLineBytes.
class RecordReader {
 public:
  struct Record {
    std::u16string text;       // empty when ascii
    std::string_view bytes;    // the line as read when ascii, valid until the next record
    bool ascii = false;        // a line of printable ASCII characters, left undecoded
    size_t line = 0;           // the line it starts on, from 1
    size_t badByte = 0;        // 1-based offset of the first byte that starts no character, or 0
    bool tooLong = false;
    bool unclosedQuote = false;
  };
  // asciiLines: lines of printable ASCII are passed on undecoded.
  RecordReader(int fd, Decoder& decoder, bool quoting, char16_t delimiter, bool asciiLines)
      : lines_(fd), decoder_(decoder), quoting_(quoting), delimiter_(delimiter), asciiLines_(asciiLines) {}
  bool Next(Record& record);
  int Error() const { return lines_.Error(); }

 private:
  struct Line {
    std::string bytes;
    bool tooLong;
    size_t number;
  };
  bool NextLine(std::string_view& bytes, bool& tooLong, size_t& number);
  void Decode(Record& r, std::string_view bytes, size_t number, size_t offset);
  LineReader lines_;
  Decoder& decoder_;
  bool quoting_;
  char16_t delimiter_;
  bool asciiLines_;
  size_t lineCount_ = 0;
  std::deque<Line> pushedBack_;  // lines read ahead for a quote that never closed
  std::string current_;
  std::vector<std::u16string> scratch_;
};

}  // namespace telvara::cli
