#include "app/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qs {
namespace {

TEST(FileNames, CutAtControlKeepsUnicodeAndStopsAtTheFirstControlCharacter) {
  EXPECT_EQ(CutAtControl("C:\\€-rapport.pdf"), "C:\\€-rapport.pdf");
  EXPECT_EQ(CutAtControl("отчёт.txt\r\nmore"), "отчёт.txt");
  EXPECT_EQ(CutAtControl("\tx"), "");
}

TEST(FileNames, ChosenPathsJoinTheFolderToEachNameOrKeepOneFullPath) {
  using namespace std::string_literals;
  using Paths = std::vector<std::string>;
  const struct {
    std::string list;
    Paths paths;
  } cases[] = {
      {"", {}},
      {"C:\\e2e\\bob.certificate"s, {"C:\\e2e\\bob.certificate"}},
      {"C:\\e2e\0bob.certificate\0carol.certificate"s,
       {"C:\\e2e\\bob.certificate", "C:\\e2e\\carol.certificate"}},
      // A drive's root carries its separator already.
      {"C:\\\0a.certificate\0b.certificate"s, {"C:\\a.certificate", "C:\\b.certificate"}},
      {"\\\\server\\delat\0отчёт.certificate\0€.certificate"s,
       {"\\\\server\\delat\\отчёт.certificate", "\\\\server\\delat\\€.certificate"}},
      // The order the dialog gives is kept; a stray empty string names nothing.
      {"D:\\k\0z.c\0\0a.c\0"s, {"D:\\k\\z.c", "D:\\k\\a.c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ChosenPaths(c.list), c.paths) << c.list;
}

}  // namespace
}  // namespace qs
