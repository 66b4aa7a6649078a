#include "resultlist/WebLookup.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "directory/Numbers.h"
#include "search/ResultRows.h"

namespace telvara {
namespace {

// One converter for the life of the program; everything runs on one thread.
class Cp932 {
 public:
  Cp932() : cd_(iconv_open("CP932", "UTF-16LE")) {}
  ~Cp932() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Cp932(const Cp932&) = delete;
  Cp932& operator=(const Cp932&) = delete;

  // The bytes of one UTF-16 code unit, or 0 bytes when it has no form.
  size_t Convert(char16_t c, unsigned char out[4]) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return 0;
    char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char* inp = in;
    size_t inLeft = 2;
    char* outp = reinterpret_cast<char*>(out);
    size_t outLeft = 4;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // fresh state per character
    const size_t r = iconv(cd_, &inp, &inLeft, &outp, &outLeft);
    if (r == static_cast<size_t>(-1) || inLeft != 0) return 0;
    return 4 - outLeft;
  }

 private:
  iconv_t cd_;
};

Cp932& Converter() {
  static Cp932 converter;
  return converter;
}

void AppendHex(std::u16string& out, unsigned byte) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  out += u'%';
  out += kHex[(byte >> 4) & 0xF];
  out += kHex[byte & 0xF];
}

}  // namespace

std::optional<std::u16string> LookupText(std::u16string_view areaCell, std::u16string_view cdCell) {
  if (areaCell.size() <= 1 || LeadingNumber(cdCell) == kNoLookupCd) return std::nullopt;
  std::u16string_view t = areaCell.substr(0, kLookupMaxChars);
  if (t.starts_with(kOldNameMark)) t.remove_prefix(kOldNameMark.size());
  return std::u16string(t);
}

std::u16string EncodeQuery(std::u16string_view text) {
  std::u16string q;
  q.reserve(text.size() * 6);
  unsigned char bytes[4];
  for (char16_t c : text) {
    const size_t n = Converter().Convert(c, bytes);
    if (n >= 2) {
      AppendHex(q, bytes[0]);
      AppendHex(q, bytes[1]);
    } else {
      q += c;
    }
  }
  return q;
}

std::u16string SearchAddress(std::u16string_view encodedQuery) {
  std::u16string address(kSearchBase);
  address += u"/search?hl=ja&q=";
  address += encodedQuery;
  address += u"&hl=ja&ie=Shift_JIS&oe=Shift_JIS";
  return address;
}

void OpenInBrowser(BrowserFactory& factory, const std::u16string& address) {
  std::unique_ptr<Browser> browser = factory.Create();
  browser->Navigate2(address);
  browser->SetVisible(true);
  browser->SetStatusText(u"Hello!");
  browser->Release();
}

}  // namespace telvara
