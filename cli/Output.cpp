#include "cli/Output.h"

#include <algorithm>

#include "cli/Utf8.h"

namespace telvara::cli {
std::u16string TextCell(std::u16string_view cell) {
  std::u16string out(cell);
  for (char16_t& c : out)
    if (c < 0x20 || c == 0x7F) c = u'\uFFFD';
  return out;
}

std::optional<Format> ParseFormat(std::string_view name) {
  if (name == "aligned") return Format::Aligned;
  if (name == "tsv") return Format::Tsv;
  if (name == "json") return Format::Json;
  return std::nullopt;
}

void AppendJsonString(std::string& out, std::u16string_view value) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  std::u16string plain;
  for (char16_t c : value) {
    if (c >= 0x20 && c != u'"' && c != u'\\' && c != 0x7F) {
      plain += c;
      continue;
    }
    AppendUtf8(out, plain);
    plain.clear();
    switch (c) {
      case u'"': out += "\\\""; break;
      case u'\\': out += "\\\\"; break;
      case u'\n': out += "\\n"; break;
      case u'\r': out += "\\r"; break;
      case u'\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out += kHex[(c >> 4) & 0xF];
        out += kHex[c & 0xF];
    }
  }
  AppendUtf8(out, plain);
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

JsonObject& JsonObject::Number(std::string_view k, long long value) {
  key(k);
  body_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::Null(std::string_view k) {
  key(k);
  body_ += "null";
  return *this;
}

void RowWriter::Raw(std::string_view bytes) {
  if (format_ != Format::Aligned) put(bytes);
}

void RowWriter::put(std::string_view bytes) {
  buffer_ += bytes;
  if (buffer_.size() >= 1 << 16) {
    std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
  }
}

void RowWriter::Header(std::vector<std::u16string> cells) {
  if (format_ != Format::Aligned) return;
  held_.insert(held_.begin(), std::move(cells));
  header_ = true;
}

void RowWriter::Cells(std::vector<std::u16string> cells) {
  if (format_ == Format::Aligned) {
    held_.push_back(std::move(cells));
    return;
  }
  if (format_ != Format::Tsv) return;
  std::string line;
  for (size_t c = 0; c < cells.size(); ++c) {
    if (c > 0) line += '\t';
    AppendUtf8(line, TextCell(cells[c]));
  }
  line += '\n';
  put(line);
}

void RowWriter::Json(const JsonObject& object) {
  if (format_ == Format::Json) put(object.Str() + "\n");
}

void RowWriter::Footer(std::u16string_view line) {
  if (format_ == Format::Aligned) footer_.emplace_back(line);
}

void RowWriter::Flush() {
  // A lone heading waits for rows to head.
  if (!(header_ && held_.size() == 1)) {
    std::vector<size_t> widths;
    for (auto& row : held_) {
      for (auto& cell : row) cell = TextCell(cell);
      if (widths.size() < row.size()) widths.resize(row.size());
      for (size_t c = 0; c + 1 < row.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    for (const auto& row : held_) {
      std::string line;
      for (size_t c = 0; c < row.size(); ++c) {
        AppendUtf8(line, row[c]);
        if (c + 1 < row.size()) line.append(widths[c] - DisplayWidth(row[c]) + 2, ' ');
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      put(line + "\n");
    }
    held_.clear();
    header_ = false;
  }
  std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
  std::fflush(out_);
}

bool RowWriter::Finish() {
  if (header_ && held_.size() == 1) held_.clear();  // no rows: no heading either
  Flush();
  for (const auto& line : footer_) put(ToUtf8(TextCell(line)) + "\n");
  footer_.clear();
  std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
  return std::fflush(out_) == 0 && !std::ferror(out_);
}

}  // namespace telvara::cli
