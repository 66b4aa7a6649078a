#pragma once
// telvara-lookup --number: telephone numbers from the arguments, or from
// files and standard input a line or a delimited record at a time, each
// answered with every row of its code or with the reason it has none.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Output.h"
#include "search/NumberLookup.h"

namespace telvara::cli {

inline constexpr std::string_view kProgram = "telvara-lookup";

// A mistake in the command line: reported with a pointer to --help, status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct NumberSettings {
  Format format = Format::Tsv;
  bool batch = false;                 // operands name inputs ("-" standard input), not numbers
  std::vector<std::string> operands;
  std::string_view encoding = "utf-8";
  size_t field = 0;                   // the field holding the number, from 1; 0: the whole line
  char16_t delimiter = u'\t';
  bool header = false;                // the first line of each input is a header
  // Tab-separated fields hold tabs and quotes as they are; other delimiters
  // quote as CSV does.
  bool Quoting() const { return field > 0 && delimiter != u'\t'; }
};

// Returns the exit status: 0 all resolved, 1 some not, 2 when an input could
// not be read. Throws WriteFailed at the first write that fails.
int RunNumbers(const NumberSettings& settings, int in, Sink& sink, std::FILE* err);

// The one-line reason a number was not resolved.
std::u16string ReasonText(const NumberAnswer& answer);

}  // namespace telvara::cli
