#include "app/file_names.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(FileNames, CutAtControlKeepsUnicodeAndStopsAtTheFirstControlCharacter) {
  EXPECT_EQ(CutAtControl("C:\\€-rapport.pdf"), "C:\\€-rapport.pdf");
  EXPECT_EQ(CutAtControl("отчёт.txt\r\nmore"), "отчёт.txt");
  EXPECT_EQ(CutAtControl("\tx"), "");
}

}  // namespace
}  // namespace qs
