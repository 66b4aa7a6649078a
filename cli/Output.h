#pragma once
// How the command-line program writes its rows: aligned columns for a person
// at a terminal, tab-separated values, or one JSON object per line.
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace telvara::cli {

enum class Format { Aligned, Tsv, Json };

// The value for --format, or nothing when the name is unknown.
std::optional<Format> ParseFormat(std::string_view name);

// Thrown by the first write that fails: the run ends there.
struct WriteFailed {
  int error;  // errno
};

// A buffer in front of a file descriptor. Once a first buffer is full, a
// second thread writes each full buffer while the next one fills, so that a
// batch costs little more time than the writes themselves.
class Sink {
 public:
  explicit Sink(int fd) : fd_(fd) {}
  ~Sink();
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;

  void Put(std::string_view bytes) {
    std::copy(bytes.begin(), bytes.end(), Room(bytes.size()));
    Commit(bytes.size());
  }
  // Room for n more bytes, which the caller writes and then keeps with Commit(n).
  char* Room(size_t n) {
    if (used_ + n > filling_.size()) Grow(n);
    return filling_.data() + used_;
  }
  void Commit(size_t n) {
    used_ += n;
    if (used_ >= kSize) Pass();
  }
  // Writes everything held and returns once it is written. These throw
  // WriteFailed when a write failed, at the latest for the buffer after it.
  void Drain();

 private:
  void Grow(size_t n);
  void Pass();        // hands the filled buffer to the writer and goes on with the other
  void WaitIdle(std::unique_lock<std::mutex>& lock);
  void WriterLoop();
  static constexpr size_t kSize = 1 << 21;
  int fd_;
  std::vector<char> filling_, writing_;
  size_t used_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t pending_ = 0;  // bytes of writing_ not yet written, under mutex_
  int error_ = 0;       // errno of the write that failed, under mutex_
  bool stop_ = false;
  std::thread writer_;
};

// A JSON object built member by member, keys in the order given.
class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::u16string_view value);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Null(std::string_view key);
  std::string Str() const { return body_ + "}"; }

 private:
  void key(std::string_view key);
  std::string body_ = "{";
};

// Writes value as a JSON string, quotes included: hidden characters as
// \uHHHH, escaped input bytes as the text \xHH.
void AppendJsonString(std::string& out, std::u16string_view value);

// A cell of text output as it is shown (see AppendShown).
std::string Cell(std::u16string_view text);

// Aligned columns, held a block of rows at a time so that no input can
// exhaust memory. A column is as wide as its widest cell so far, so later
// blocks line up with earlier ones unless they hold a wider cell; the last
// cell of a row is not padded.
class Table {
 public:
  explicit Table(Sink& sink) : sink_(sink) {}
  // Shown above the first row; not at all when no row comes.
  void Heading(std::vector<std::string> cells) { heading_ = std::move(cells); }
  void Row(std::vector<std::string> cells);
  // Writes the rows held so far.
  void Flush();

 private:
  Sink& sink_;
  std::vector<std::string> heading_;
  std::vector<std::vector<std::string>> held_;
  std::vector<size_t> widths_;
  size_t heldBytes_ = 0;
};

// Rows out in one format: aligned through a Table, tab-separated and JSON
// as they come.
class RowWriter {
 public:
  RowWriter(Format format, Sink& sink) : format_(format), sink_(sink), table_(sink) {}
  Format Kind() const { return format_; }

  void Header(std::vector<std::string> cells) {  // aligned only
    if (format_ == Format::Aligned) table_.Heading(std::move(cells));
  }
  void Cells(std::vector<std::string> cells);  // aligned and tab-separated
  void Json(const JsonObject& object) {
    if (format_ == Format::Json) sink_.Put(object.Str() + "\n");
  }
  // Writes what is held now, and then the line (aligned only).
  void Footer(std::u16string_view line);
  // Writes out what is held; throws WriteFailed.
  void Flush();

 private:
  Format format_;
  Sink& sink_;
  Table table_;
};

}  // namespace telvara::cli
