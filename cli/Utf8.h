#pragma once
// UTF-8 at the edges of the command-line program: its arguments and input
// lines come in as bytes, and everything it writes goes out as UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

namespace telvara::cli {

struct Decoded {
  std::u16string text;     // invalid sequences replaced by U+FFFD
  size_t badByte = npos;   // 1-based position of the first invalid byte, or npos
  static constexpr size_t npos = static_cast<size_t>(-1);
  bool Valid() const { return badByte == npos; }
};

// Strict decoding: overlong forms, surrogates and values past U+10FFFF are
// invalid, as is a sequence cut short.
Decoded DecodeUtf8(std::string_view bytes);

// Appends text as UTF-8; an unpaired surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, std::u16string_view text);
std::string ToUtf8(std::u16string_view text);

// Terminal columns: 2 for East Asian wide and full-width characters, 0 for
// combining marks and controls, 1 otherwise (ambiguous ones included).
size_t DisplayWidth(std::u16string_view text);

}  // namespace telvara::cli
