#include "cli/Output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "cli/Utf8.h"

namespace telvara::cli {

std::optional<Format> ParseFormat(std::string_view name) {
  // Abbreviated as GNU tools let option values be: "al", "t", "j".
  if (name.empty()) return std::nullopt;
  if (std::string_view("aligned").starts_with(name)) return Format::Aligned;
  if (std::string_view("tsv").starts_with(name)) return Format::Tsv;
  if (std::string_view("json").starts_with(name)) return Format::Json;
  return std::nullopt;
}

namespace {

// errno of the failed write, or 0.
int WriteAll(int fd, const char* bytes, size_t size) {
  for (size_t done = 0; done < size;) {
    const ssize_t n = write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

}  // namespace

Sink::~Sink() {
  if (!writer_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  writer_.join();
}

// The buffer grows with the output, so that a short answer costs no more
// than it needs; past kSize, what it holds is passed on first.
void Sink::Grow(size_t n) {
  if (used_ > 0 && used_ + n > kSize) Pass();
  filling_.resize(std::max({used_ + n, std::min(kSize, 2 * filling_.size()), size_t{1} << 12}));
}

void Sink::WaitIdle(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return pending_ == 0; });
  if (error_ != 0) throw WriteFailed{error_};
}

void Sink::Pass() {
  {
    std::unique_lock lock(mutex_);
    WaitIdle(lock);
    std::swap(filling_, writing_);
    pending_ = used_;
  }
  used_ = 0;
  if (!writer_.joinable())
    writer_ = std::thread(&Sink::WriterLoop, this);
  else
    changed_.notify_all();
}

void Sink::WriterLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pending_ > 0 || stop_; });
    if (pending_ == 0) return;
    const size_t size = pending_;
    lock.unlock();  // the main thread leaves writing_ alone while pending_ is set
    const int error = WriteAll(fd_, writing_.data(), size);
    lock.lock();
    pending_ = 0;
    error_ = error;
    changed_.notify_all();
    if (error != 0) return;
  }
}

void Sink::Drain() {
  if (!writer_.joinable()) {  // short output: written here, no thread needed
    const int error = WriteAll(fd_, filling_.data(), used_);
    used_ = 0;
    if (error != 0) throw WriteFailed{error};
    return;
  }
  if (used_ > 0) Pass();
  std::unique_lock lock(mutex_);
  WaitIdle(lock);
}

void AppendJsonString(std::string& out, std::u16string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  size_t plain = 0;  // start of the run not yet written
  for (size_t i = 0; i < value.size(); ++i) {
    const char16_t c = value[i];
    if (c != u'"' && c != u'\\' && !IsHidden(c) && !IsEscapedByte(c)) continue;
    AppendUtf8(out, value.substr(plain, i - plain));
    plain = i + 1;
    switch (c) {
      case u'"': out += "\\\""; break;
      case u'\\': out += "\\\\"; break;
      case u'\n': out += "\\n"; break;
      case u'\r': out += "\\r"; break;
      case u'\t': out += "\\t"; break;
      default:
        if (IsEscapedByte(c)) {  // the byte as cells show it, \xHH
          out += "\\\\x";
          out += kHex[(c >> 4) & 0xF];
          out += kHex[c & 0xF];
        } else {
          out += "\\u";
          for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
        }
    }
  }
  AppendUtf8(out, value.substr(plain));
  out += '"';
}

void JsonObject::key(std::string_view key) {
  if (body_.size() > 1) body_ += ',';
  body_ += '"';
  body_ += key;
  body_ += "\":";
}

JsonObject& JsonObject::Text(std::string_view k, std::u16string_view value) {
  key(k);
  AppendJsonString(body_, value);
  return *this;
}

JsonObject& JsonObject::Bool(std::string_view k, bool value) {
  key(k);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::Null(std::string_view k) {
  key(k);
  body_ += "null";
  return *this;
}

std::string Cell(std::u16string_view text) {
  std::string out;
  AppendShown(out, text);
  return out;
}

void Table::Row(std::vector<std::string> cells) {
  for (const std::string& cell : cells) heldBytes_ += cell.size() + sizeof cell;
  held_.push_back(std::move(cells));
  // Enough for any search or listing to be one block; a few MB at most.
  if (held_.size() >= 4096 || heldBytes_ >= (4u << 20)) Flush();
}

void Table::Flush() {
  if (held_.empty()) return;
  if (!heading_.empty()) held_.insert(held_.begin(), std::move(heading_));
  heading_.clear();
  std::vector<std::vector<size_t>> cellWidths;
  cellWidths.reserve(held_.size());
  for (const auto& row : held_) {
    auto& w = cellWidths.emplace_back();
    for (const std::string& cell : row) w.push_back(DisplayWidth(cell));
    if (widths_.size() + 1 < row.size()) widths_.resize(row.size() - 1);
    for (size_t c = 0; c + 1 < row.size(); ++c) widths_[c] = std::max(widths_[c], w[c]);
  }
  std::string line;
  for (size_t r = 0; r < held_.size(); ++r) {
    const auto& row = held_[r];
    line.clear();
    for (size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line.append(widths_[c] - cellWidths[r][c] + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    line += '\n';
    sink_.Put(line);
  }
  held_.clear();
  heldBytes_ = 0;
}

void RowWriter::Cells(std::vector<std::string> cells) {
  if (format_ == Format::Aligned) {
    table_.Row(std::move(cells));
  } else if (format_ == Format::Tsv) {
    std::string line;
    for (const std::string& cell : cells) (line += cell) += '\t';
    if (!line.empty()) line.back() = '\n';
    sink_.Put(line);
  }
}

void RowWriter::Footer(std::u16string_view line) {
  if (format_ != Format::Aligned) return;
  table_.Flush();
  sink_.Put(Cell(line) + "\n");
}

void RowWriter::Flush() {
  table_.Flush();
  sink_.Drain();
}

}  // namespace telvara::cli
