#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <stdexcept>

#include "cli/approval.h"
#include "cli/cli.h"
#include "cli/output_names.h"
#include "cli/progress_display.h"
#include "platform/file_fault.h"
#include "tests/keys/key_fixtures.h"
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

// A command that meets an exception fails like any other failure: status 1, its message, and
// nothing half-written; the progress thread is stopped on the way.
TEST(CommandFailure, AnExceptionInTheWorkReachesTheCallerAfterTheProgressThreadStopped) {
  for (const bool terminal : {false, true}) {
    Streams s;
    s.io.errorIsTerminal = terminal;
    ProgressDisplay display(s.io, false);
    bool cancelled = false;
    const ProgressSource source{[] { return 0.5; }, nullptr, [&cancelled] { cancelled = true; }};
    EXPECT_THROW(display.run(source, []() -> bool { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_FALSE(display.interrupted());
    EXPECT_FALSE(cancelled);
  }
}

void RaiseOutOfMemory() { throw std::bad_alloc(); }

TEST(CommandFailure, AnExceptionAtAnyFileCallOfACommandGivesItsMessageAndStatusOne) {
  test::TempFolder dir;
  test::StoreTestKeyPair(dir.path(), "carol", "Carol");
  const std::string data = dir.file("data");
  const std::string signature = dir.file("data.signature");
  test::WriteRaw(data, std::string(70000, 'd'));
  test::WriteRaw(signature, "an older file");
  const std::vector<std::string> words = {"--workdir", dir.path(), "sign", data, "-o", signature, "--force"};
  int thrown = 0;
  for (std::uint64_t n = 1; n < 1000; ++n) {
    Streams s;
    platform::ThrowAtNthFileCall(n, RaiseOutOfMemory);
    const int status = cli::Run(words, s.io);
    const bool hit = platform::InjectedFileFaultHit();
    platform::FailNthFileCall(0);
    if (!hit) {
      EXPECT_EQ(status, kSuccess) << s.err.str();
      break;
    }
    ++thrown;
    EXPECT_EQ(status, kFailure) << "call " << n;
    EXPECT_EQ(s.err.str(), "quillseal-cli: Fel vid signering av fil.\n") << "call " << n;
    EXPECT_EQ(test::ReadRaw(signature), "an older file") << "call " << n;
    EXPECT_EQ(test::ListFolder(dir.path()).find(".qs-tmp-"), std::string::npos) << "call " << n;
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(thrown, 3);
}

}  // namespace
}  // namespace qs::cli
