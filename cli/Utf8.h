#pragma once
// Text at the edges of the command-line program: its arguments and input
// come in as bytes, everything it writes goes out as UTF-8, and nothing it
// shows may move the terminal's cursor, break a line or turn text around.
#include <cstddef>
#include <string>
#include <string_view>

namespace telvara::cli {

// An input byte that is not part of a valid character is kept as the lone
// surrogate U+DC00 + byte (U+DC80 to U+DCFF): nothing is lost, it is shown
// as \xHH, and it can never be taken for a character.
inline constexpr char16_t kByteEscape = 0xDC00;
inline bool IsEscapedByte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

struct Decoded {
  std::u16string text;
  size_t badByte = npos;   // 1-based position of the first invalid byte, or npos
  static constexpr size_t npos = static_cast<size_t>(-1);
  bool Valid() const { return badByte == npos; }
};

// Strict decoding: overlong forms, surrogates, values past U+10FFFF and a
// sequence cut short are invalid. Bytes that are not valid UTF-8 are kept
// escaped, every byte past ASCII of them: such text is in some other
// encoding, and only its bytes say what it held.
Decoded DecodeUtf8(std::string_view bytes);
// The same into text, appended; returns the 0-based offset of the first
// invalid byte, or npos.
size_t AppendDecodedUtf8(std::u16string& text, std::string_view bytes);

// Appends one code point, as a surrogate pair beyond U+FFFF.
void AppendCodePoint(std::u16string& out, char32_t cp);

// Appends text as UTF-8; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, std::u16string_view text);
std::string ToUtf8(std::u16string_view text);

// Characters shown escaped wherever the program writes text: C0 and C1
// controls, DEL, the line and paragraph separators and the bidirectional
// controls.
bool IsHidden(char32_t c);
// Appends text as UTF-8 with every hidden character written \t, \n, \r or
// \uHHHH and every escaped byte \xHH.
void AppendShown(std::string& out, std::u16string_view text);
// Bytes as they are shown: valid UTF-8 kept, the rest escaped.
std::string Shown(std::string_view bytes);

// "U+" and at least four upper-case hexadecimal digits.
std::u16string CodePointName(char32_t c);

// Terminal columns of UTF-8 text as glibc's wcwidth counts them under a
// UTF-8 locale: 2 for East Asian wide characters and emoji, 0 for combining
// marks; a character it does not know counts 1.
size_t DisplayWidth(std::string_view utf8);

}  // namespace telvara::cli
