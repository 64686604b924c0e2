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

TEST(OutputNames, ASignaturesFileIsLookedForByItsNameLongestFirst) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(SignedFileNames("d\\plan.txt_work_key.signature"),
            (Names{"d\\plan.txt_work_key", "d\\plan.txt_work", "d\\plan.txt"}));
  EXPECT_EQ(SignedFileNames("doc.pdf.signature"), Names{"doc.pdf"});
  // Cuts stay inside the name and never leave it empty.
  EXPECT_EQ(SignedFileNames("a_b/_x_y.signature"), (Names{"a_b/_x_y", "a_b/_x"}));
  EXPECT_EQ(SignedFileNames("d/.signature"), Names{});
  EXPECT_EQ(SignedFileNames("plan.txt"), Names{});
  EXPECT_EQ(SignedFileNames("x.signature.txt"), Names{});
}

}  // namespace
}  // namespace qs
