#pragma once
// How the command-line program writes its rows: aligned columns for a person
// at a terminal, tab-separated values, or one JSON object per line.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace telvara::cli {

enum class Format { Aligned, Tsv, Json };

// The value for --format, or nothing when the name is unknown.
std::optional<Format> ParseFormat(std::string_view name);

// A JSON object built member by member, keys in the order given.
class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::u16string_view value);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Number(std::string_view key, long long value);
  JsonObject& Null(std::string_view key);
  std::string Str() const { return body_ + "}"; }
  // The members so far, without the closing brace.
  const std::string& Open() const { return body_; }

 private:
  void key(std::string_view key);
  std::string body_ = "{";
};

// A cell of text output kept on its line and in its column: control
// characters become U+FFFD.
std::u16string TextCell(std::u16string_view cell);

// Writes value as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::u16string_view value);

// Rows out in one format. Tab-separated and JSON rows go out as they come;
// aligned rows are held until Finish, which knows every column's width.
class RowWriter {
 public:
  RowWriter(Format format, std::FILE* out) : format_(format), out_(out) {}
  Format Kind() const { return format_; }

  void Header(std::vector<std::u16string> cells);  // aligned only
  void Cells(std::vector<std::u16string> cells);   // aligned and tab-separated
  void Json(const JsonObject& object);
  void Footer(std::u16string_view line);           // aligned only, after the rows
  void Raw(std::string_view bytes);                // a finished tab-separated or JSON line
  // Writes what is held now: aligned rows so far line up among themselves.
  void Flush();
  // Writes what is held and the footer; false when the output could not be written.
  bool Finish();

 private:
  void put(std::string_view bytes);
  Format format_;
  std::FILE* out_;
  std::vector<std::vector<std::u16string>> held_;
  std::vector<std::u16string> footer_;
  bool header_ = false;
  std::string buffer_;
};

}  // namespace telvara::cli
