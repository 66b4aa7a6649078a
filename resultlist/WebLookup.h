#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace telvara {

inline constexpr std::u16string_view kSearchBase = u"https://www.google.co.jp";
inline constexpr int kLookupMaxChars = 30;
inline constexpr int kNoLookupCd = 48;

// The text to look up for a row, from its "対象区域" and "CD" cells, or nothing
// when the row is not looked up (one character or less, or a nationwide number).
std::optional<std::u16string> LookupText(std::u16string_view areaCell, std::u16string_view cdCell);

// Each character that becomes two bytes in code page 932 is written as
// %XX%YY (upper-case hex, trail bytes in the ASCII range included); every
// other character is appended as it is.
std::u16string EncodeQuery(std::u16string_view text);

std::u16string SearchAddress(std::u16string_view encodedQuery);

// What the lookup needs of a browser window.
class Browser {
 public:
  virtual ~Browser() = default;
  virtual void Navigate2(const std::u16string& address) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetStatusText(const std::u16string& text) = 0;
  virtual void Release() = 0;
};

class BrowserFactory {
 public:
  virtual ~BrowserFactory() = default;
  // Throws when no browser can be had.
  virtual std::unique_ptr<Browser> Create() = 0;
};

// Opens the address: create, navigate, show, status text, release.
void OpenInBrowser(BrowserFactory& factory, const std::u16string& address);

}  // namespace telvara
