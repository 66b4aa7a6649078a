#include <gtest/gtest.h>
#include <algorithm>

#include "directory/AreaDirectory.h"
#include "resultlist/WebLookup.h"
#include "search/ResultRows.h"

using namespace telvara;

namespace {

TEST(EncodeQuery, TwoByteCharactersBecomeUpperCaseByteEscapesAndTheRestStays) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"札幌市", u"%8E%44%96%79%8E%73"},
      {u"札", u"%8E%44"},  // the trail byte is ASCII "D": still escaped
      {u"虻田郡(", u"%88%B8%93%63%8C%53("}, {u"２３、", u"%82%51%82%52%81%41"}, {u"AZ az 09()&", u"AZ az 09()&"},
      {u"ｱｲｳ", u"ｱｲｳ"},              // half-width katakana: one byte each
      {u"é", u"é"},                  // no code page 932 form
      {u"\xD800x", u"\xD800x"},      // a lone surrogate
      {u"", u""},
  };
  for (auto [text, encoded] : cases) EXPECT_EQ(EncodeQuery(text), encoded);
}

TEST(LookupText, WhatIsLookedUp) {
  const std::u16string thirty(30, u'町'), old = u"(旧)" + std::u16string(28, u'村');
  const std::tuple<std::u16string, std::u16string_view, std::optional<std::u16string>> cases[] = {
      {u"市", u"01", std::nullopt},  // one character
      {u"", u"", std::nullopt}, {u"中郡", u"14", u"中郡"},
      {u"札幌市", u"48", std::nullopt},  // nationwide numbers
      {u"警察", u"", u"警察"},            // a listing row has no CD
      {u"警察", u"4x", u"警察"}, {thirty, u"01", thirty}, {thirty + u"村", u"01", thirty},
      {old, u"01", std::u16string(27, u'村')},
      {u"(旧)", u"01", u""},  // the browser still opens, with an empty query
  };
  for (const auto& [area, cd, text] : cases) EXPECT_EQ(LookupText(area, cd), text);
}

TEST(EncodeQuery, EveryDirectoryTextIsLookedUpWhollyEscaped) {
  // A character with no code page 932 form would reach the browser raw.
  const AreaDirectory& d = LoadedStore().Directory;
  for (int i = 0; i < kSlotCount; ++i) {
    const std::u16string encoded = EncodeQuery(d.Area(i));
    EXPECT_TRUE(std::all_of(encoded.begin(), encoded.end(), [](char16_t c) { return c < 0x80; })) << "slot " << i;
  }
}

}  // namespace
