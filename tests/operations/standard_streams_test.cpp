// Operations on the process's standard streams: what waits between a stream and a pipeline
// that takes a named file holds only what a pipe carries and goes when the run ends; the
// streams are named in messages as the front end names them; a check writes nothing.
#include <gtest/gtest.h>

#include <memory>

#include "crypto/random_generator.h"
#include "formats/encrypted_file_stream.h"
#include "operations/file_operation.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_keys.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace qs {
namespace {

using test::ReadRaw;
using test::WriteRaw;

#ifndef _WIN32
// Puts a file in the place of standard input or output while it lives.
class StreamSwap {
 public:
  StreamSwap(int stream, const std::string& path, bool writing) : stream_(stream), saved_(::dup(stream)) {
    const int fd =
        writing ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600) : ::open(path.c_str(), O_RDONLY);
    ::dup2(fd, stream_);
    ::close(fd);
  }
  ~StreamSwap() {
    ::dup2(saved_, stream_);
    ::close(saved_);
  }
  StreamSwap(const StreamSwap&) = delete;
  StreamSwap& operator=(const StreamSwap&) = delete;

 private:
  int stream_;
  int saved_;
};

class StandardStreamsTest : public ::testing::Test {
 protected:
  // alice to bob, or bob reading alice's, with the streams and the folder they wait in.
  OperationResult run(OperationCode code, const std::string& source, const std::string& target, bool in,
                      bool out, bool check = false) {
    OperationRequest request;
    request.code = code;
    request.sourceName = source;
    request.targetName = target;
    request.sourceIsStandardInput = in;
    request.targetIsStandardOutput = out;
    request.checkOnly = check;
    request.streamFolder = waiting_.path();
    request.overwrite = platform::Overwrite::kNever;
    const bool bobs = code == OperationCode::kDecrypt || code == OperationCode::kVerify;
    if (code != OperationCode::kVerify)
      request.ownPrivateKey = test::KeyPairOf(bobs ? "bob" : "alice").privateRecord;
    if (code != OperationCode::kSign)
      request.peerPublicKey = test::KeyPairOf(bobs ? "alice" : "bob").publicRecord;
    return RunFileOperation(request, *generator_);
  }

  test::TempFolder dir_;
  test::TempFolder waiting_;
  std::unique_ptr<RandomGenerator> generator_ = test::SeededGenerator();
};

TEST_F(StandardStreamsTest, EncryptionAndDecryptionThroughEitherStream) {
  const std::string plain(kChunkBytes + 7, 'p');
  WriteRaw(dir_.file("plain"), plain);
  {
    StreamSwap in(STDIN_FILENO, dir_.file("plain"), false);
    StreamSwap out(STDOUT_FILENO, dir_.file("sealed"), true);
    ASSERT_EQ(run(OperationCode::kEncrypt, "<in>", "<out>", true, true).outcome, FileOutcome::kOk);
  }
  {
    StreamSwap in(STDIN_FILENO, dir_.file("sealed"), false);
    StreamSwap out(STDOUT_FILENO, dir_.file("opened"), true);
    ASSERT_EQ(run(OperationCode::kDecrypt, "<in>", "<out>", true, true).outcome, FileOutcome::kOk);
  }
  EXPECT_EQ(ReadRaw(dir_.file("opened")), plain);
  ASSERT_EQ(run(OperationCode::kDecrypt, dir_.file("sealed"), dir_.file("named"), false, false).outcome,
            FileOutcome::kOk);
  EXPECT_EQ(ReadRaw(dir_.file("named")), plain);
  EXPECT_EQ(test::ListFolder(waiting_.path()), "");
}

// A failure in the ciphertext kept from standard input names the stream, not where it waited;
// a check of it writes nothing, not even at a target name that exists.
TEST_F(StandardStreamsTest, TheKeptCiphertextIsNamedAsTheStreamAndACheckWritesNothing) {
  WriteRaw(dir_.file("plain"), "minutes");
  ASSERT_EQ(run(OperationCode::kEncrypt, dir_.file("plain"), dir_.file("sealed"), false, false).outcome,
            FileOutcome::kOk);
  std::string sealed = ReadRaw(dir_.file("sealed"));
  WriteRaw(dir_.file("cut"), sealed.substr(0, sealed.size() - 1));
  WriteRaw(dir_.file("kept"), "older");
  EXPECT_EQ(run(OperationCode::kDecrypt, dir_.file("sealed"), dir_.file("kept"), false, false, true).outcome,
            FileOutcome::kOk);
  EXPECT_EQ(ReadRaw(dir_.file("kept")), "older");
  {
    StreamSwap in(STDIN_FILENO, dir_.file("cut"), false);
    const OperationResult cut = run(OperationCode::kDecrypt, "<in>", "", true, false, true);
    EXPECT_EQ(cut.outcome, FileOutcome::kSourceUnreadable);
    EXPECT_EQ(cut.cause.file, "<in>");
    EXPECT_EQ(cut.cause.finding, Finding::kTruncated);
  }
  EXPECT_EQ(test::ListFolder(dir_.path()), "cut\nkept\nplain\nsealed\n");
  EXPECT_EQ(test::ListFolder(waiting_.path()), "");
}

// A signature made of standard input, to standard output, verifies the named file, and the
// named signature verifies standard input.
TEST_F(StandardStreamsTest, SigningAndVerifyingStandardInput) {
  WriteRaw(dir_.file("data"), std::string(50000, 'd'));
  {
    StreamSwap in(STDIN_FILENO, dir_.file("data"), false);
    StreamSwap out(STDOUT_FILENO, dir_.file("sig"), true);
    ASSERT_EQ(run(OperationCode::kSign, "<in>", "<out>", true, true).outcome, FileOutcome::kOk);
  }
  EXPECT_EQ(run(OperationCode::kVerify, dir_.file("data"), dir_.file("sig"), false, false).outcome,
            FileOutcome::kOk);
  WriteRaw(dir_.file("other"), std::string(50000, 'e'));
  StreamSwap in(STDIN_FILENO, dir_.file("other"), false);
  EXPECT_EQ(run(OperationCode::kVerify, "<in>", dir_.file("sig"), true, false).outcome,
            FileOutcome::kSignatureMismatch);
}
#endif

}  // namespace
}  // namespace qs
