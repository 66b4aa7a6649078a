#include "cli/Utf8.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cwchar>
#include <string_view>

namespace telvara::cli {
namespace {

// The code point at text[i], a surrogate pair taken together; i moves past it.
char32_t Next(std::u16string_view text, size_t& i) {
  const char32_t c = text[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
    return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  return c;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendHex(std::string& out, char32_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

// wcwidth follows the calling thread's locale. The program's output is
// UTF-8 whatever the user's locale says, so widths come from C.UTF-8 (or,
// where that is missing, from the user's own locale when it is UTF-8).
bool Utf8Widths() {
  static const bool ready = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (!l) {
      l = newlocale(LC_CTYPE_MASK, "", nullptr);
      if (l && std::string_view(nl_langinfo_l(CODESET, l)) != "UTF-8") {
        freelocale(l);
        l = nullptr;
      }
    }
    if (l) uselocale(l);
    return l != nullptr;
  }();
  return ready;
}

}  // namespace

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

size_t AppendDecodedUtf8(std::u16string& text, std::string_view bytes) {
  const size_t start = text.size();
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {  // a run of ASCII at once: most input is
      size_t end = i + 1;
      while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
      const size_t at = text.size();
      text.resize(at + end - i);
      for (size_t k = i; k < end; ++k) text[at + k - i] = static_cast<char16_t>(bytes[k]);
      i = end;
      continue;
    }
    size_t length = 0;
    char32_t cp = 0, min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) length = 2, cp = b0 & 0x1F, min = 0x80;
    else if (b0 >= 0xE0 && b0 <= 0xEF) length = 3, cp = b0 & 0x0F, min = 0x800;
    else if (b0 >= 0xF0 && b0 <= 0xF4) length = 4, cp = b0 & 0x07, min = 0x10000;
    size_t n = 1;
    for (; length != 0 && n < length && i + n < bytes.size(); ++n) {
      const auto b = static_cast<unsigned char>(bytes[i + n]);
      if ((b & 0xC0) != 0x80) break;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (length == 0 || n < length || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      // Text in another encoding would come out as a few stray characters
      // among the escapes: all of it is kept byte for byte instead.
      text.resize(start);
      for (char b : bytes)
        text += static_cast<char16_t>(static_cast<unsigned char>(b) < 0x80 ? b : kByteEscape | static_cast<unsigned char>(b));
      return i;
    }
    AppendCodePoint(text, cp);
    i += length;
  }
  return Decoded::npos;
}

Decoded DecodeUtf8(std::string_view bytes) {
  Decoded d;
  d.text.reserve(bytes.size());
  const size_t bad = AppendDecodedUtf8(d.text, bytes);
  if (bad != Decoded::npos) d.badByte = bad + 1;
  return d;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size();) {
    char32_t cp = Next(text, i);
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    AppendUtf8(out, cp);
  }
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  AppendUtf8(out, text);
  return out;
}

bool IsHidden(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029 || c == 0x061C || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendShown(std::string& out, std::u16string_view text) {
  // Text with nothing to escape, as nearly every cell is, is sized first
  // and then encoded in place.
  size_t size = 0;
  bool plain = true;
  for (char16_t c : text) {
    if (c < 0x80 ? (c < 0x20 || c == 0x7F) : (c < 0xA0 || (c >= 0xD800 && c <= 0xDFFF) || IsHidden(c))) {
      plain = false;
      break;
    }
    size += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
  }
  if (plain) {
    size_t at = out.size();
    out.resize(at + size);
    for (char16_t c : text) {
      if (c < 0x80) {
        out[at++] = static_cast<char>(c);
      } else if (c < 0x800) {
        out[at++] = static_cast<char>(0xC0 | (c >> 6));
        out[at++] = static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out[at++] = static_cast<char>(0xE0 | (c >> 12));
        out[at++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[at++] = static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return;
  }
  for (size_t i = 0; i < text.size();) {
    size_t end = i;  // a run of printable ASCII, the common case, at once
    while (end < text.size() && text[end] >= 0x20 && text[end] < 0x7F) ++end;
    if (end > i) {
      const size_t at = out.size();
      out.resize(at + end - i);
      for (size_t k = i; k < end; ++k) out[at + k - i] = static_cast<char>(text[k]);
      i = end;
      continue;
    }
    const char32_t c = Next(text, i);
    if (c <= 0xFFFF && IsEscapedByte(static_cast<char16_t>(c))) {
      out += "\\x";
      AppendHex(out, c & 0xFF, 2);
    } else if (c == u'\t') {
      out += "\\t";
    } else if (c == u'\n') {
      out += "\\n";
    } else if (c == u'\r') {
      out += "\\r";
    } else if (IsHidden(c) || (c >= 0xD800 && c <= 0xDFFF)) {
      out += "\\u";
      AppendHex(out, c, 4);
    } else {
      AppendUtf8(out, c);
    }
  }
}

std::string Shown(std::string_view bytes) {
  std::string out;
  AppendShown(out, DecodeUtf8(bytes).text);
  return out;
}

std::u16string CodePointName(char32_t c) {
  std::string hex;
  AppendHex(hex, c, 4);
  return u"U+" + std::u16string(hex.begin(), hex.end());
}

size_t DisplayWidth(std::string_view utf8) {
  const bool widths = Utf8Widths();
  size_t width = 0;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      width += b >= 0x20 && b != 0x7F;
      ++i;
      continue;
    }
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    char32_t c = b & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < utf8.size(); ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
    const int w = widths ? wcwidth(static_cast<wchar_t>(c)) : 1;
    width += w < 0 ? 1 : static_cast<size_t>(w);
    i += length;
  }
  return width;
}

}  // namespace telvara::cli
