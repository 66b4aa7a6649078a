#include <gtest/gtest.h>
#include <iconv.h>

#include "directory/AreaDirectory.h"
#include "resultlist/WebLookup.h"
#include "search/ResultRows.h"

using namespace telvara;

namespace {

TEST(EncodeQuery, DocumentedExamples) {
  EXPECT_EQ(EncodeQuery(u"札幌市"), u"%8E%44%96%79%8E%73");
  EXPECT_EQ(EncodeQuery(u"虻田郡("), u"%88%B8%93%63%8C%53(");
  EXPECT_EQ(EncodeQuery(u"札"), u"%8E%44");  // trail byte is ASCII "D": still encoded
}

TEST(EncodeQuery, SingleByteAndUnconvertibleCharactersPassUnchanged) {
  EXPECT_EQ(EncodeQuery(u"AZ az 09()&"), u"AZ az 09()&");
  EXPECT_EQ(EncodeQuery(u"ｱｲｳ"), u"ｱｲｳ");          // half-width katakana: one byte each
  EXPECT_EQ(EncodeQuery(u"é"), u"é");              // no code page 932 form
  EXPECT_EQ(EncodeQuery(u"\xD800x"), u"\xD800x");  // a lone surrogate
  EXPECT_EQ(EncodeQuery(u"２３"), u"%82%51%82%52");
  EXPECT_EQ(EncodeQuery(u"、"), u"%81%41");
  EXPECT_EQ(EncodeQuery(u""), u"");
}

TEST(LookupText, WhatIsLookedUp) {
  EXPECT_EQ(LookupText(u"市", u"01"), std::nullopt);  // one character
  EXPECT_EQ(LookupText(u"", u""), std::nullopt);
  EXPECT_EQ(LookupText(u"中郡", u"14"), u"中郡");
  EXPECT_EQ(LookupText(u"札幌市", u"48"), std::nullopt);  // nationwide numbers
  EXPECT_EQ(LookupText(u"警察", u"48"), std::nullopt);
  EXPECT_EQ(LookupText(u"警察", u""), u"警察");  // a listing row has no CD
  EXPECT_EQ(LookupText(u"警察", u"4x"), u"警察");

  const std::u16string thirty(30, u'町');
  EXPECT_EQ(LookupText(thirty, u"01"), thirty);
  EXPECT_EQ(LookupText(thirty + u"村", u"01"), thirty);
  const std::u16string old = u"(旧)" + std::u16string(28, u'村');
  EXPECT_EQ(LookupText(old, u"01"), std::u16string(27, u'村'));
  EXPECT_EQ(LookupText(u"(旧)", u"01"), u"");  // the browser still opens, with an empty q
}

TEST(SearchAddressTest, ExactForm) {
  EXPECT_EQ(SearchAddress(u"%8E%44"),
            u"https://www.google.co.jp/search?hl=ja&q=%8E%44&hl=ja&ie=Shift_JIS&oe=Shift_JIS");
  EXPECT_EQ(SearchAddress(u""), u"https://www.google.co.jp/search?hl=ja&q=&hl=ja&ie=Shift_JIS&oe=Shift_JIS");
}

struct Recording : Browser {
  std::vector<std::string>* log;
  explicit Recording(std::vector<std::string>* l) : log(l) {}
  void Navigate2(const std::u16string& a) override { log->push_back("navigate " + std::to_string(a.size())); }
  void SetVisible(bool v) override { log->push_back(v ? "visible" : "hidden"); }
  void SetStatusText(const std::u16string& t) override { log->push_back(t == u"Hello!" ? "status" : "?"); }
  void Release() override { log->push_back("release"); }
};

TEST(OpenInBrowserTest, CallsInOrder) {
  struct Factory : BrowserFactory {
    std::vector<std::string> log;
    std::unique_ptr<Browser> Create() override { return std::make_unique<Recording>(&log); }
  } factory;
  OpenInBrowser(factory, u"abc");
  EXPECT_EQ(factory.log, (std::vector<std::string>{"navigate 3", "visible", "status", "release"}));
  struct Failing : BrowserFactory {
    std::unique_ptr<Browser> Create() override { throw std::runtime_error("none"); }
  } failing;
  EXPECT_THROW(OpenInBrowser(failing, u"abc"), std::runtime_error);
}

// Percent-decodes the query and reads it back from code page 932.
std::u16string DecodeQuery(const std::u16string& address) {
  const auto begin = address.find(u"&q=") + 3;
  const auto end = address.find(u"&hl=ja&ie=");
  std::string bytes;
  for (size_t i = begin; i < end; ++i) {
    if (address[i] == u'%') {
      bytes += static_cast<char>(std::stoi(std::string(address.begin() + static_cast<long>(i) + 1,
                                                       address.begin() + static_cast<long>(i) + 3),
                                           nullptr, 16));
      i += 2;
    } else {
      EXPECT_LT(address[i], 0x80) << "only ASCII passes unencoded in directory texts";
      bytes += static_cast<char>(address[i]);
    }
  }
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  std::string out(bytes.size() * 2 + 2, '\0');
  char* in = bytes.data();
  size_t inLeft = bytes.size();
  char* op = out.data();
  size_t outLeft = out.size();
  EXPECT_NE(iconv(cd, &in, &inLeft, &op, &outLeft), static_cast<size_t>(-1));
  iconv_close(cd);
  std::u16string text;
  for (size_t i = 0; i + 1 < out.size() - outLeft; i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(out[i]) | (static_cast<unsigned char>(out[i + 1]) << 8));
  return text;
}

TEST(EncodeQuery, EveryDirectoryRowRoundTrips) {
  const DirectoryStore& store = LoadedStore();
  int checked = 0;
  for (int i = 0; i <= store.LastIndex; ++i) {
    if (store.Directory.Area(i).empty()) continue;
    std::u16string cell = store.Directory.CdValue(i) == 2 ? u"(旧)" : u"";
    cell += store.Directory.Area(i);
    const auto text = LookupText(cell, u"");
    ASSERT_TRUE(text.has_value()) << i;
    EXPECT_EQ(DecodeQuery(SearchAddress(EncodeQuery(*text))), *text) << "slot " << i;
    std::u16string_view want(cell);
    want = want.substr(0, 30);
    if (want.starts_with(kOldNameMark)) want.remove_prefix(3);
    EXPECT_EQ(*text, want);
    ++checked;
  }
  EXPECT_EQ(checked, 1813);
}

}  // namespace
