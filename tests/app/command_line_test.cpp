// quillseal.exe's command line: how Windows' UTF-16 line splits into arguments, and which
// arguments the program follows.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace qs {
namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
  const char16_t* line;
  Arguments arguments;
};

TEST(SplitCommandLine, SplitsAsTheCRuntimeDoes) {
  const SplitCase cases[] = {
      {u"", {}},
      {u"quillseal.exe", {}},
      {u"quillseal.exe   ", {}},
      // What Explorer runs: the quoted program, the verb and the quoted file.
      {uR"("C:\Program Files\Quillseal\quillseal.exe" /dekryptera "C:\Users\Åsa\rapport ö.pdf.encrypted")",
       {"/dekryptera", "C:\\Users\\\xC3\x85sa\\rapport \xC3\xB6.pdf.encrypted"}},
      // The program's name knows no escapes: its backslash before the quote is a separator.
      {uR"("C:\dir\" x)", {"x"}},
      {uR"(C:\dir\quillseal.exe	a  b	)", {"a", "b"}},
      {uR"(q.exe "" "a b"c d"e f")", {"", "a bc", "de f"}},
      // Backslashes are literal except before a quote: 2n give n and the quote opens or
      // closes, 2n + 1 give n and a literal quote.
      {uR"(q.exe C:\a\b\ a\\b)", {"C:\\a\\b\\", "a\\\\b"}},
      {uR"(q.exe a\"b a\\"b c" a\\\"b "x\\")", {"a\"b", "a\\b c", "a\\\"b", "x\\"}},
      {uR"(q.exe "say ""hi"" now")", {"say \"hi\" now"}},
      // Beyond the Latin letters and outside the 16-bit plane.
      {u"q.exe \"отчёт 日本.txt\" \U0001F600.txt",
       {"\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC.txt", "\xF0\x9F\x98\x80.txt"}},
      // A lone surrogate has no UTF-8 spelling.
      {u"q.exe a\xD800z", {"a\xEF\xBF\xBDz"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.line), c.arguments)
        << "line of " << std::u16string_view(c.line).size() << " units";
  }
}

class ReadCommandLineTest : public ::testing::Test {
 protected:
  ReadCommandLineTest() { test::WriteRaw(file_, "x"); }

  test::TempFolder dir_;
  const std::string file_ = dir_.file("rapport ö.pdf");
};

TEST_F(ReadCommandLineTest, TakesNothingOrAFileWithAtMostOneVerb) {
  const struct {
    Arguments arguments;
    std::optional<FileVerb> verb;
  } cases[] = {
      {{file_}, std::nullopt},
      {{"/kryptera", file_}, FileVerb::kEncrypt},
      {{"/dekryptera", file_}, FileVerb::kDecrypt},
      {{"/signera", file_}, FileVerb::kSign},
      {{"/verifiera", file_}, FileVerb::kVerify},
      {{"/DEKRYPTERA", file_}, FileVerb::kDecrypt},
      {{file_, "/Signera"}, FileVerb::kSign},
  };
  for (const auto& c : cases) {
    const CommandLine command = ReadCommandLine(c.arguments);
    EXPECT_EQ(command.refusal, "") << c.arguments.front();
    EXPECT_EQ(command.request.file, file_) << c.arguments.front();
    EXPECT_EQ(command.request.verb, c.verb) << c.arguments.front();
  }
  const CommandLine none = ReadCommandLine({});
  EXPECT_EQ(none.refusal, "");
  EXPECT_FALSE(none.request.file);
  EXPECT_FALSE(none.request.verb);
}

TEST_F(ReadCommandLineTest, RefusesAnythingElseWithItsReason) {
  const std::string usage =
      "\n\nAnvändning: quillseal.exe [/kryptera | /dekryptera | /signera | /verifiera] fil";
  const std::string missing = dir_.file("borta.txt");
  const struct {
    Arguments arguments;
    std::string refusal;
  } cases[] = {
      {{"/öppna", file_}, "Fel: Okänt kommando på kommandoraden: /öppna"},
      {{"/kryptera:", file_}, "Fel: Okänt kommando på kommandoraden: /kryptera:"},
      {{"/", file_}, "Fel: Okänt kommando på kommandoraden: /"},
      // A path is no verb, wherever its slashes stand.
      {{"/kryptera", "/tmp/saknas/x.txt"}, "Fel: Filen finns inte: /tmp/saknas/x.txt"},
      {{"/kryptera", "/saknas\\x.txt"}, "Fel: Filen finns inte: /saknas\\x.txt"},
      {{"/kryptera"}, "Fel: Kommandot saknar ett filnamn: /kryptera"},
      {{file_, file_}, "Fel: Kommandoraden kan bara ange en fil och högst ett kommando."},
      {{"/kryptera", file_, file_}, "Fel: Kommandoraden kan bara ange en fil och högst ett kommando."},
      {{"/kryptera", "/signera", file_}, "Fel: Kommandoraden kan bara ange en fil och högst ett kommando."},
      {{missing}, "Fel: Filen finns inte: " + missing},
      {{"/dekryptera", missing}, "Fel: Filen finns inte: " + missing},
      {{""}, "Fel: Filen finns inte: "},
  };
  for (const auto& c : cases) {
    const CommandLine command = ReadCommandLine(c.arguments);
    EXPECT_EQ(command.refusal, c.refusal + usage) << c.arguments.front();
  }
}

}  // namespace
}  // namespace qs
