// UTF-8 <-> UTF-16 at the edges of the engine: error descriptions, names and passwords
// from the command line or the window. Whatever comes in, the result is well formed, every
// bad sequence shows as U+FFFD and no good character next to it is lost. And the one case fold.
#include "jet/util/unicode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jet/sql/collation.h"
#include "jet/util/code_page.h"

namespace {

using jet::fromUtf8;
using jet::toUtf8;

std::string hex(std::string_view bytes) {
  std::string s;
  for (unsigned char b : bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    s += kDigits[b >> 4];
    s += kDigits[b & 0xF];
    s += ' ';
  }
  return s;
}

// One conversion: the text in UTF-8 and in UTF-16, and what the case is about.
struct Case {
  const char* what;
  std::string utf8;
  std::u16string utf16;
};

std::string trace(const Case& c) { return std::string(c.what) + ": " + hex(c.utf8); }

bool isWellFormed(std::u16string_view t) {
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] >= 0xD800 && t[i] <= 0xDBFF) {
      if (i + 1 >= t.size() || t[i + 1] < 0xDC00 || t[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (t[i] >= 0xDC00 && t[i] <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

TEST(Unicode, EveryEncodedLengthRoundTripsAtItsBounds) {
  const Case cases[] = {
      {"an embedded NUL is a character", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"the last of one byte", "\x7F", u"\u007F"},
      {"the first of two bytes", "\xC2\x80", u"\u0080"},
      {"e acute", "\xC3\xA9", u"\u00E9"},
      {"the last of two bytes", "\xDF\xBF", u"\u07FF"},
      {"the first of three bytes", "\xE0\xA0\x80", u"\u0800"},
      {"the euro sign", "\xE2\x82\xAC", u"\u20AC"},
      {"just below the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
      {"just above the surrogates", "\xEE\x80\x80", u"\uE000"},
      {"a replacement character that was in the text", "\xEF\xBF\xBD", u"\uFFFD"},
      {"the last of three bytes", "\xEF\xBF\xBF", u"\uFFFF"},
      {"the first of four bytes", "\xF0\x90\x80\x80", u"\U00010000"},
      {"an emoji", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"the last character", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(trace(c));
    EXPECT_EQ(fromUtf8(c.utf8), c.utf16);
    EXPECT_EQ(toUtf8(c.utf16), c.utf8);
  }
}

TEST(Unicode, MalformedUtf8BecomesOneReplacementPerBadSequence) {
  const Case cases[] = {
      {"a lone continuation byte", "a\x80z", u"a\uFFFDz"},
      {"continuation bytes in a row", "\x80\xBF", u"\uFFFD\uFFFD"},
      {"bytes that never start a sequence", "\xF8\xFE\xFF", u"\uFFFD\uFFFD\uFFFD"},
      {"a five-byte form", "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"two bytes cut at the end", "a\xC3", u"a\uFFFD"},
      {"three bytes cut at the end", "a\xE2\x82", u"a\uFFFD"},
      {"four bytes cut at the end", "a\xF0\x9F\x98", u"a\uFFFD"},
      {"a sequence cut by a plain character", "\xE2\x82z", u"\uFFFDz"},
      {"a sequence cut by a new lead byte", "\xF0\x9F\xC3\xA9", u"\uFFFD\u00E9"},
      {"an overlong NUL", "\xC0\x80", u"\uFFFD"},
      {"an overlong two-byte form", "\xC1\xBF", u"\uFFFD"},
      {"an overlong slash in three bytes", "\xE0\x80\xAF", u"\uFFFD"},
      {"an overlong euro sign in four bytes", "\xF0\x82\x82\xAC", u"\uFFFD"},
      {"an encoded high surrogate", "\xED\xA0\x80", u"\uFFFD"},
      {"an encoded low surrogate", "\xED\xBF\xBF", u"\uFFFD"},
      {"a surrogate pair encoded as two characters", "\xED\xA0\xBD\xED\xB8\x80", u"\uFFFD\uFFFD"},
      {"just above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
      {"the largest four-byte form", "\xF7\xBF\xBF\xBF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(trace(c));
    EXPECT_EQ(fromUtf8(c.utf8), c.utf16);
  }
}

TEST(Unicode, LoneSurrogatesBecomeReplacementInUtf8) {
  const Case cases[] = {
      {"a high surrogate at the end", "a\xEF\xBF\xBD", u"a\xD800"},
      {"a high surrogate before a plain character", "\xEF\xBF\xBDz", u"\xDBFFz"},
      {"a low surrogate alone", "a\xEF\xBF\xBDz", u"a\xDC00z"},
      {"a pair in the wrong order", "\xEF\xBF\xBD\xEF\xBF\xBD", u"\xDC00\xD800"},
      {"two high surrogates, the second paired", "\xEF\xBF\xBD\xF0\x9F\x98\x80", u"\xD800\xD83D\xDE00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(toUtf8(c.utf16), c.utf8);
    EXPECT_EQ(fromUtf8(toUtf8(c.utf16)).size(), c.utf16.size());  // one character each
  }
}

// Every string of one or two bytes, and three-byte strings (every fifth last byte) after the
// lead bytes where the bounds lie: the result is well formed, converting it again changes
// nothing, the ASCII bytes all come through in order, and nothing grows beyond one unit per
// byte.
TEST(Unicode, AnyBytesGiveWellFormedTextThatKeepsItsAsciiCharacters) {
  std::vector<std::string> inputs;
  for (int a = 0; a < 256; ++a) {
    inputs.push_back(std::string(1, char(a)));
    for (int b = 0; b < 256; ++b) inputs.push_back({char(a), char(b)});
  }
  for (int lead : {0xC2, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5}) {
    for (int b = 0; b < 256; ++b) {
      for (int c = 0; c < 256; c += 5) inputs.push_back({char(lead), char(b), char(c)});
    }
  }
  int failures = 0, replaced = 0;
  for (const auto& in : inputs) {
    const std::u16string out = fromUtf8(in);
    std::u16string ascii, kept;
    for (unsigned char b : in) {
      if (b < 0x80) ascii += char16_t(b);
    }
    for (char16_t u : out) {
      if (u < 0x80) kept += u;
    }
    const bool ok = isWellFormed(out) && fromUtf8(toUtf8(out)) == out && kept == ascii && out.size() <= in.size();
    if (!ok && ++failures <= 5) ADD_FAILURE() << hex(in);
    if (out.find(u'\uFFFD') != std::u16string::npos) ++replaced;
  }
  EXPECT_EQ(failures, 0);
  EXPECT_GT(replaced, 100000);  // most of these strings are malformed
}

// The fold merges only letters Jet's General sort order codes alike, whichever layer asks.
TEST(Unicode, CaseFoldMergesWhatGeneralOrderCodesAlike) {
  struct Pair {
    char16_t a, b;
    bool same;
  } pairs[] = {
      {u'Q', u'q', true},         {u'\u00C5', u'\u00E5', true}, {u'\u00D7', u'\u00F7', false},
      {u'\u0178', u'\u00FF', true}, {u'\u0139', u'\u013A', true}, {u'\u0130', u'\u0131', false},
      {u'\u0130', u'i', false},    {u'\u0130', u'I', false},    {u'\u03AA', u'\u03CA', true},
      {u'\u03AB', u'\u03CB', true}, {u'\u0399', u'\u03CA', false}, {u'\u0401', u'\u0451', true},
  };
  for (const auto& p : pairs) {
    SCOPED_TRACE(testing::Message() << std::hex << int(p.a) << " " << int(p.b));
    EXPECT_EQ(jet::foldCase(p.a) == jet::foldCase(p.b), p.same);
    const std::u16string a(1, p.a), b(1, p.b);
    EXPECT_EQ(jet::equalsIgnoreCase(a, b), p.same);
    EXPECT_EQ(jet::sql::equalsIgnoringCase(a, b), p.same);  // SQL compares with the same fold
  }
}

// Jet 3 text in its Windows code page, against what MultiByteToWideChar gives for the same bytes
// (tools/codepages/windows_probe.c; generate.py --verify checks every byte and pair).
TEST(Unicode, CodePageBytesDecodeAsWindowsDecodesThem) {
  struct Row {
    uint16_t page;
    std::string bytes;
    std::u16string utf16;
  } rows[] = {
      {1251, "\xC0\xFFz", u"\u0410\u044Fz"},
      {1252, "a\x80\x81", u"a\u20AC\u0081"},  // 0x81 is a hole in the Unicode file
      {932, "\x82\xA0\x88\x9F!", u"\u3042\u4E9C!"},
      {932, "\xB1\xF0\x40", u"\uFF71\uE000"},  // half-width katakana; user-defined area
      {936, "\xB0\xA1", u"\u554A"},
      {949, "\xB0\xA1", u"\uAC00"},
      {950, "\xA4\x40\xFF", u"\u4E00\uF8F8"},
      {932, "\x81\x20z", u"\u30FBz"},  // the invalid trail goes with its lead
      {936, std::string("\x81\0z", 3), std::u16string(u"?\0z", 3)},  // but not a 0x00
      {932, "a\x81", u"a\u30FB"},  // a lead byte at the end
  };
  std::u16string out = u"left over";
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.page << ": " << hex(r.bytes));
    const jet::CodePage* page = jet::CodePage::find(r.page);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->number(), r.page);
    EXPECT_EQ(page->isDoubleByte(), r.page < 1000);
    page->decode(std::span(reinterpret_cast<const uint8_t*>(r.bytes.data()), r.bytes.size()), out);
    EXPECT_EQ(out, r.utf16);
  }
  EXPECT_EQ(jet::CodePage::find(437), nullptr);
}

}  // namespace
