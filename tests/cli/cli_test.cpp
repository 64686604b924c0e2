#include <gtest/gtest.h>

#include <sstream>

#include "cli/approval.h"
#include "cli/cli.h"
#include "cli/output_names.h"
#include "tests/support/temp_folder.h"

namespace qs::cli {
namespace {

struct Streams {
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  Io io{in, out, err, false, false};
};

int RunWords(Streams& s, std::vector<std::string> words) { return Run(words, s.io); }

TEST(Cli, UsageMistakesExitWithTwoAndHelpWithZero) {
  Streams s;
  EXPECT_EQ(RunWords(s, {}), kUsage);
  EXPECT_EQ(RunWords(s, {"nonsense"}), kUsage);
  EXPECT_EQ(RunWords(s, {"verify", "--from", "x", "only-one"}), kUsage);
  EXPECT_EQ(RunWords(s, {"--bogus", "key", "show"}), kUsage);
  EXPECT_EQ(RunWords(s, {"trust"}), kUsage);
  EXPECT_NE(s.err.str().find("trust list"), std::string::npos);
  EXPECT_EQ(RunWords(s, {"trust", "--help"}), kSuccess);
  EXPECT_EQ(RunWords(s, {"sign", "--help"}), kSuccess);
  EXPECT_NE(s.out.str().find("quillseal-cli sign INFIL"), std::string::npos);
}

TEST(Cli, SettingsRoundTripThroughTheWorkingFolder) {
  test::TempFolder dir;
  Streams s;
  EXPECT_EQ(RunWords(s, {"--workdir", dir.path(), "settings", "--format", "oki", "--compression", "on"}), kSuccess);
  Streams again;
  EXPECT_EQ(RunWords(again, {"--workdir", dir.path(), "settings"}), kSuccess);
  EXPECT_EQ(again.out.str(), "Filformat: Open Key Infrastructure (OKI-format)\nKompression: på\n");
  EXPECT_EQ(RunWords(s, {"--workdir", dir.path(), "settings", "--compression", "maybe"}), kUsage);
}

TEST(Cli, SigningOntoTheDocumentFailsAndKeepsIt) {
  test::TempFolder dir;
  Streams s;
  ASSERT_EQ(RunWords(s, {"--workdir", dir.path(), "keygen", "--name", "Anna", "--encryption-bits", "2048",
                         "--signing-bits", "2048"}),
            kSuccess);
  const std::string document = dir.path() + "/doc.txt";
  test::WriteRaw(document, "the only copy");
  EXPECT_EQ(RunWords(s, {"--workdir", dir.path(), "--quiet", "sign", document, "-o", document, "--force"}), kFailure);
  EXPECT_NE(s.err.str().find("Fel vid signering av fil."), std::string::npos);
  EXPECT_EQ(test::ReadRaw(document), "the only copy");
}

TEST(Cli, ApprovalFollowsFingerprintThenYesThenTheTerminal) {
  const std::string fingerprint = "AB12";
  {
    Streams s;
    Session session(s.io, GlobalOptions{std::nullopt, true, std::string("ab12"), false});
    EXPECT_TRUE(ApproveCertificate(session, {}, fingerprint));
  }
  {
    Streams s;  // a wrong fingerprint wins over --yes
    Session session(s.io, GlobalOptions{std::nullopt, true, std::string("ab13"), false});
    EXPECT_FALSE(ApproveCertificate(session, {}, fingerprint));
  }
  {
    Streams s;  // no terminal, no --yes
    Session session(s.io, GlobalOptions{});
    EXPECT_FALSE(ApproveCertificate(session, {}, fingerprint));
    EXPECT_NE(s.err.str().find("Godkännande krävs"), std::string::npos);
  }
  for (const auto& [answer, approved] : std::vector<std::pair<std::string, bool>>{{"j\n", true}, {"\n", false}, {"nej\n", false}}) {
    Streams s;
    s.in.str(answer);
    s.io.inputIsTerminal = true;
    Session session(s.io, GlobalOptions{});
    EXPECT_EQ(ApproveTrustedKey(session, "Org", "0011", fingerprint), approved) << answer;
    EXPECT_NE(s.out.str().find("Godkänner du detta som en pålitlig nyckel? [j/N]"), std::string::npos);
  }
}

TEST(Cli, SuggestedOutputNames) {
  EXPECT_EQ(DecryptedFileName("dir/doc.pdf.encrypted"), "dir/doc.pdf");
  EXPECT_EQ(DecryptedFileName("x.encrypted.encrypted"), "x.encrypted");
  EXPECT_EQ(DecryptedFileName("doc.bin"), std::nullopt);
  EXPECT_EQ(DecryptedFileName(".encrypted"), std::nullopt);
  EXPECT_EQ(SignatureFileName("data/plan.txt", "work key"), "data/plan.txt_work_key.signature");
}

}  // namespace
}  // namespace qs::cli
