#include "operations/output_names.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

TEST(OutputNames, FileNamePartTakesWhatFollowsTheLastSeparator) {
  EXPECT_EQ(FileNamePart("C:\\x\\doc.pdf.encrypted"), "doc.pdf.encrypted");
  EXPECT_EQ(FileNamePart("C:/x/y\\plan.txt"), "plan.txt");
  EXPECT_EQ(FileNamePart("plan.txt"), "plan.txt");
  EXPECT_EQ(FileNamePart("C:\\x\\"), "");
}

TEST(OutputNames, EndsWithIsATrueSuffixTest) {
  EXPECT_TRUE(EndsWith("report.encrypted", ".encrypted"));
  EXPECT_FALSE(EndsWith("a.encrypted.txt", ".encrypted"));
  // The suffix also earlier in the name still ends it.
  EXPECT_TRUE(EndsWith("x.encrypted.encrypted", ".encrypted"));
  EXPECT_FALSE(EndsWith("encrypted", ".encrypted"));
  EXPECT_TRUE(EndsWith(".signature", ".signature"));
}

TEST(OutputNames, EveryOperationNamesItsOutputAlike) {
  EXPECT_EQ(DecryptedFileName("dir/doc.pdf.encrypted"), "dir/doc.pdf");
  EXPECT_EQ(DecryptedFileName("x.encrypted.encrypted"), "x.encrypted");
  EXPECT_EQ(DecryptedFileName("doc.bin"), std::nullopt);
  EXPECT_EQ(DecryptedFileName(".encrypted"), std::nullopt);
  EXPECT_EQ(SignatureFileName("data/plan.txt", "work key"), "data/plan.txt_work_key.signature");
}

}  // namespace
}  // namespace qs
