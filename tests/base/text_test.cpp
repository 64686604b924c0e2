#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <tuple>

#include "base/text_string.h"
#include "base/timestamp.h"
#include "base/utf8.h"
#include "base/visible_text.h"
#include "base/wide_text.h"
#include "base/windows1252.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

TEST(TextString, NormalisesControlBytesAndAddsTheTerminator) {
  const TextString t(FromHex("61 09 62"));
  EXPECT_EQ(ToHex(t.bytes()), "61206200");
  EXPECT_EQ(t.characterCount(), 3u);
  EXPECT_EQ(ToHex(TextString(ByteBuffer()).bytes()), "00");
  EXPECT_EQ(ToHex(TextString(FromHex("7f 41 00")).bytes()), "204100");
  EXPECT_STREQ(TextString("abc").view(), "abc");
}

TEST(TextString, Operations) {
  TextString t("Hello");
  t.concatenate(TextString(" world"));
  EXPECT_EQ(t.str(), "Hello world");
  EXPECT_EQ(t.find(TextString("world")), 6);
  EXPECT_EQ(t.find(TextString("Hello")), 0);
  EXPECT_EQ(t.find(TextString("xyz")), -1);
  EXPECT_EQ(t.find(TextString("a much longer needle")), -1);
  EXPECT_EQ(t.characterAt(4), 'o');
  t.dropLast(6);
  EXPECT_EQ(t.str(), "Hello");
  t.dropLast(5);
  EXPECT_EQ(ToHex(t.bytes()), "00");
  t.dropLast(3);
  EXPECT_EQ(ToHex(t.bytes()), "00");
  EXPECT_EQ(TextString::decimal(0).str(), "0");
  EXPECT_EQ(TextString::decimal(4294967295u).str(), "4294967295");
}

TEST(WideText, ConversionsFollowTheRecordRules) {
  const WideText fromText = WideText::fromTextString(TextString(FromHex("41 e4")));
  EXPECT_EQ(fromText.units(), std::u16string(u"A\u00e4"));
  EXPECT_EQ(ToHex(fromText.toRecordBytes()), "004100e4");
  // Units beyond one byte become 0xFF; control units become spaces.
  EXPECT_EQ(ToHex(WideText(u"\u0100\u0009z").toTextString().bytes()), "ff207a00");
  // An odd final byte is ignored.
  EXPECT_EQ(WideText::fromRecordBytes(FromHex("0041 00e4 01")).units(), std::u16string(u"A\u00e4"));
  EXPECT_EQ(WideText::fromTextString(TextString()).count(), 0u);
}

TEST(Windows1252, SwedishLettersAndTheEuroSurviveEitherFrontEnd) {
  const std::string utf8 = "\xC3\xA5\xC3\xA4\xC3\xB6 \xC3\x85\xC3\x84\xC3\x96 \xE2\x82\xAC";  // åäö ÅÄÖ €
  const ByteBuffer fromUtf8 = Utf8ToWindows1252(utf8);
  EXPECT_EQ(ToHex(fromUtf8), "e5e4f620c5c4d62080");
  EXPECT_EQ(ToHex(Utf16ToWindows1252(u"\u00e5\u00e4\u00f6 \u00c5\u00c4\u00d6 \u20ac")), ToHex(fromUtf8));
  EXPECT_EQ(Windows1252ToUtf8(fromUtf8), utf8);
  EXPECT_FALSE(FirstCharacterOutsideWindows1252(utf8 + "? ÿ"));
  const std::optional<char32_t> malformed;
  for (const auto& [text, bytes, codePoint] :
       std::vector<std::tuple<std::string, std::string, std::optional<char32_t>>>{
           {"\xC5\x81ukasz", "\xC5\x81", U'\u0141'},                       // Ł
           {"fest \xF0\x9F\x8E\x89!", "\xF0\x9F\x8E\x89", U'\U0001F389'},  // 🎉, four bytes
           {"a\xC3", "\xC3", malformed},                                   // cut short
           {"\x80", "\x80", malformed}}) {                                 // a continuation byte alone
    const std::optional<Utf8Character> first = FirstCharacterOutsideWindows1252(text);
    ASSERT_TRUE(first) << text;
    EXPECT_EQ(first->bytes, bytes) << text;
    EXPECT_EQ(first->codePoint, codePoint) << text;
  }
  EXPECT_EQ(Windows1252ToUtf16(fromUtf8), u"\u00e5\u00e4\u00f6 \u00c5\u00c4\u00d6 \u20ac");
  // Stored in a record, "ä" is the unit 00 E4.
  EXPECT_EQ(ToHex(WideText::fromTextString(TextString(Utf8ToWindows1252("\xC3\xA4"))).toRecordBytes()),
            "00e4");
}

TEST(Windows1252, UnrepresentableAndMalformedInputBecomesQuestionMarks) {
  EXPECT_EQ(ToHex(Utf8ToWindows1252("\xE6\x97\xA5"
                                    "x")),
            "3f78");                                              // CJK
  EXPECT_EQ(ToHex(Utf8ToWindows1252("\xF0\x9F\x98\x80")), "3f");  // emoji
  EXPECT_EQ(ToHex(Utf8ToWindows1252("\xC3")), "3f");              // truncated
  EXPECT_EQ(ToHex(Utf8ToWindows1252("\xFF"
                                    "a")),
            "3f61");                                             // invalid lead
  EXPECT_EQ(ToHex(Utf16ToWindows1252(u"\U0001F600a")), "3f61");  // surrogate pair
  // Every byte converts to Unicode and back unchanged.
  ByteBuffer all;
  for (int b = 0; b < 256; ++b) all.appendU8(static_cast<std::uint8_t>(b));
  EXPECT_TRUE(Utf8ToWindows1252(Windows1252ToUtf8(all)).equals(all));
  EXPECT_TRUE(Utf16ToWindows1252(Windows1252ToUtf16(all)).equals(all));
}

// What a terminal would act on or a display would hide shows as an escape; the rest,
// Swedish letters and backslashes included, stays as it is.
TEST(VisibleText, EscapesEveryControlAndFormatCharacterAndNothingElse) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"", ""},
      {"Åsa Öberg €5 C:\\Users\\a.txt", "Åsa Öberg €5 C:\\Users\\a.txt"},
      {std::string("a\0b", 3), "a\\x00b"},
      {"\x1B[2K\rOK\n", "\\x1B[2K\\x0DOK\\x0A"},
      {"tab\tdel\x7F", "tab\\x09del\\x7F"},
      {"\xC2\x80\xC2\x9B\xC2\x9F\xC2\xA0", "\\u0080\\u009B\\u009F\xC2\xA0"},  // C1; NBSP is visible
      {"soft\xC2\xADhyphen", "soft\\u00ADhyphen"},
      {"\xE2\x80\xAEtxt.exe\xE2\x80\xAC", "\\u202Etxt.exe\\u202C"},   // override, pop
      {"\xE2\x81\xA6\xE2\x81\xA9\xD8\x9C", "\\u2066\\u2069\\u061C"},  // isolates, Arabic mark
      {"zero\xE2\x80\x8Bwidth\xE2\x80\x8D\xEF\xBB\xBF", "zero\\u200Bwidth\\u200D\\uFEFF"},
      {"line\xE2\x80\xA8para\xE2\x80\xA9", "line\\u2028para\\u2029"},
      {"\xF3\xA0\x80\x81tag", "\\U000E0001tag"},
      {"\xE6\x97\xA5\xF0\x9F\x98\x80", "\xE6\x97\xA5\xF0\x9F\x98\x80"},  // CJK and emoji are visible
      // Bytes that are not UTF-8 show as bytes: a lone C1 byte, a cut, overlong or surrogate
      // sequence, a value beyond U+10FFFF.
      {"\x9B"
       "2J",
       "\\x9B2J"},
      {"\xC3", "\\xC3"},
      {"\xE2\x80", "\\xE2\\x80"},
      {"\xC0\x9B", "\\xC0\\x9B"},
      {"\xE0\x80\x9B", "\\xE0\\x80\\x9B"},
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
      {"\xFF\xFE", "\\xFF\\xFE"},
  };
  for (const auto& [text, shown] : cases) {
    EXPECT_EQ(VisibleText(text), shown) << ToHex(test::FromString(text));
    EXPECT_EQ(VisibleText(shown), shown) << "an escaped text stays as it is";
  }
}

TEST(Utf8, EveryLengthOfSequenceAndEveryLoneSurrogate) {
  const struct {
    char32_t c;
    const char* utf8;
  } points[] = {{0x7F, "\x7F"},
                {0x80, "\xC2\x80"},
                {0x7FF, "\xDF\xBF"},
                {0x800, "\xE0\xA0\x80"},
                {0xFFFF, "\xEF\xBF\xBF"},
                {0x10000, "\xF0\x90\x80\x80"},
                {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
  for (const auto& p : points) {
    std::string out;
    AppendUtf8(out, p.c);
    EXPECT_EQ(out, p.utf8) << std::hex << static_cast<std::uint32_t>(p.c);
  }
  EXPECT_EQ(Utf16ToUtf8(u"\u00e5\u20ac\U0001F600\U0010FFFF"),
            "\xC3\xA5\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
  // A high surrogate at the end or before anything but a low one, and a low one alone.
  EXPECT_EQ(Utf16ToUtf8(u"a\xD83D"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u"\xD83D"
                        u"b"),
            "\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Utf16ToUtf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u""), "");
}

class UtcZone : public ::testing::Test {
 protected:
  void SetUp() override { SetZone("UTC0"); }
  void TearDown() override { SetZone(nullptr); }
  static void SetZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone ? zone : "");
    _tzset();
#else
    if (zone)
      setenv("TZ", zone, 1);
    else
      unsetenv("TZ");
    tzset();
#endif
  }
};

TEST_F(UtcZone, FormatTimestampPadsEveryField) {
  EXPECT_EQ(FormatTimestamp(0).str(), "1970-01-01 00:00");
  EXPECT_EQ(FormatTimestamp(1709456700).str(), "2024-03-03 09:05");  // 09:05:00 UTC
  EXPECT_EQ(FormatTimestamp(4294967295u).str(), "2106-02-07 06:28");
}

}  // namespace
}  // namespace qs
