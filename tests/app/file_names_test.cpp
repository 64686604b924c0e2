#include "app/file_names.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(FileNames, FileNamePartTakesWhatFollowsTheLastSeparator) {
  EXPECT_EQ(FileNamePart("C:\\x\\doc.pdf.encrypted"), "doc.pdf.encrypted");
  EXPECT_EQ(FileNamePart("C:/x/y\\plan.txt"), "plan.txt");
  EXPECT_EQ(FileNamePart("plan.txt"), "plan.txt");
  EXPECT_EQ(FileNamePart("C:\\x\\"), "");
}

TEST(FileNames, EndsWithIsATrueSuffixTest) {
  EXPECT_TRUE(EndsWith("report.encrypted", ".encrypted"));
  EXPECT_FALSE(EndsWith("a.encrypted.txt", ".encrypted"));
  // The suffix also earlier in the name still ends it.
  EXPECT_TRUE(EndsWith("x.encrypted.encrypted", ".encrypted"));
  EXPECT_FALSE(EndsWith("encrypted", ".encrypted"));
  EXPECT_TRUE(EndsWith(".signature", ".signature"));
}

TEST(FileNames, CutAtControlKeepsUnicodeAndStopsAtTheFirstControlCharacter) {
  EXPECT_EQ(CutAtControl("C:\\€-rapport.pdf"), "C:\\€-rapport.pdf");
  EXPECT_EQ(CutAtControl("отчёт.txt\r\nmore"), "отчёт.txt");
  EXPECT_EQ(CutAtControl("\tx"), "");
}

}  // namespace
}  // namespace qs
