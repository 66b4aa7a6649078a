#pragma once
// Telephone numbers against the directory: the digits of a number as people
// write it, and the longest code that begins it, found through an index built
// once rather than a walk over every row per number.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "directory/AreaDirectory.h"

namespace telvara {

inline constexpr size_t kMinNumberDigits = 3;
inline constexpr size_t kMaxNumberDigits = 11;

enum class NumberProblem {
  None,
  Empty,           // nothing to resolve
  Junk,            // a character that no written number holds
  NotJapan,        // a '+' not followed by the country code 81
  TooShort,        // fewer than kMinNumberDigits digits
  TooLong,         // more than kMaxNumberDigits digits
  NoCode,          // no directory code begins it
};

struct NumberAnswer {
  std::string digits;             // the normalised number, ASCII digits
  size_t digitCount = 0;          // digits written, also when too many to keep
  NumberProblem problem = NumberProblem::None;
  char32_t junk = 0;              // the offending character of Junk
  std::u16string_view code;       // the code found, when resolved
  std::span<const int16_t> rows;  // its rows in directory order, when resolved
};

// ASCII and full-width digits count; hyphens of every width, spaces, dots and
// parentheses are dropped; a leading "+81", "81" followed by a separator, or
// an international prefix 00, 010 or 011 written as a group of its own and
// followed by 81 ("00 81", "010-81", "0081 "), stands for the trunk prefix 0
// (a written "(0)" after it is that same 0). 00 before another country code
// is NotJapan.
// Sets digits, digitCount, problem (None, Empty, Junk, NotJapan, TooShort,
// TooLong) and junk.
NumberAnswer NormalizeNumber(std::u16string_view text);
// The same for text of ASCII characters only, as most lines of a file are.
NumberAnswer NormalizeNumber(std::string_view ascii);

// Every code of a store, regional and nationwide, in a digit trie. Each code
// keeps the slots that file it in ascending order, so one code standing in
// several prefectures answers with all of them.
class CodeIndex {
 public:
  explicit CodeIndex(const DirectoryStore& store);

  struct Match {
    std::u16string_view code;       // empty when no code begins the digits
    std::span<const int16_t> rows;
  };
  Match Longest(std::string_view digits) const;
  size_t CodeCount() const { return codes_.size(); }

  // Normalises text and looks its code up.
  NumberAnswer Resolve(std::u16string_view text) const;
  NumberAnswer Resolve(std::string_view ascii) const;

 private:
  void Find(NumberAnswer& a) const;  // sets code and rows, or NoCode
  struct Node {
    std::array<int32_t, 10> child;
    int32_t code = -1;
  };
  std::vector<Node> nodes_;
  std::vector<std::u16string_view> codes_;
  std::vector<std::vector<int16_t>> rows_;
};

// A query of digits only, ASCII or full-width, is a code query.
bool IsDigitQuery(std::u16string_view query);
// Full-width digits become ASCII digits; every other character stays.
std::u16string AsciiDigits(std::u16string_view text);

}  // namespace telvara
