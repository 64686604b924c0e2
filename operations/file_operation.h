#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "base/text_string.h"
#include "formats/file_job.h"
#include "formats/file_result.h"
#include "operations/messages.h"
#include "operations/settings.h"
#include "platform/file.h"

namespace qs {

class RandomGenerator;

enum class OperationCode : std::int32_t { kEncrypt = 1, kDecrypt = 2, kSign = 3, kVerify = 4 };

// One encryption, decryption, signing or verification as a front end asks for it, with the
// keys already chosen and approved. The front end fills it before the operation starts and
// afterwards writes only the cancel flags (RequestCancel); the operation writes the progress
// counters and totalBytes.
struct OperationRequest {
  OperationCode code = OperationCode::kEncrypt;
  // Encrypt only; decryption follows the file. kStrong is offered by the command line only
  // (config.bin knows on and off).
  Settings::FileFormat format = Settings::kQuillseal;
  ChunkCompression compression = ChunkCompression::kNone;  // native format only
  std::string sourceName;                                  // paths are UTF-8
  std::string targetName;                                  // verify: the signature file
  ByteBuffer ownPrivateKey;                                // "PrivateKey" record; empty for verify
  ByteBuffer peerPublicKey;                                // "PublicKey" record; empty for sign
  // Encrypt: more "PublicKey" records to encrypt for beside peerPublicKey, and whether the
  // user's own key (that of ownPrivateKey) is one more. Only the native format holds more than
  // one recipient; one given twice counts once.
  std::vector<ByteBuffer> furtherRecipients;
  bool toSelf = false;
  TextString signMessage;  // Windows-1252, empty when none
  // Whether an existing target may be replaced; with kNever one that exists when the run
  // starts, or appears before its output is in place, is kept (kTargetExists).
  platform::Overwrite overwrite = platform::Overwrite::kReplace;
  // The process's standard input as the source (verify: the data file), its standard output
  // as the target (encrypt, decrypt, sign); sourceName and targetName then only name them in
  // messages. What waits between a stream and a pipeline that takes a named file (the
  // ciphertext read from standard input before it is decrypted, a file encrypted before it
  // is copied out) is kept in a temporary file beside streamFolder's name "stream", and
  // removed: it holds only what a pipe carries, never plaintext.
  bool sourceIsStandardInput = false;
  bool targetIsStandardOutput = false;
  std::string streamFolder;
  // Decrypt only: every part of the file read and checked as for a decryption, nothing
  // written; targetName is not used.
  bool checkOnly = false;
  ChunkProgress chunkProgress;               // native and signature pipelines
  ProgressHook byteProgress;                 // OKI-format pipelines
  std::atomic<std::uint32_t> totalBytes{0};  // OKI-format: the size being processed
};

struct OperationResult {
  FileOutcome outcome = FileOutcome::kUnknown;
  // Whether the progress reached is worth a moment's look before it goes away: not after a
  // cancel that the OKI-format and signature pipelines end at once.
  bool pause = true;
  // What a verified signature carried.
  std::uint32_t signedTimestamp = 0;
  TextString signedMessage;
  // A decrypted file of an earlier writer, which does not bind its sender: anyone who saw it
  // could have signed its header, so the sender's certificate does not show who wrote it.
  bool senderUnbound = false;
  // Which file a failure concerns and what was wrong with it; CauseText gives its words.
  FileCause cause;
};

// How the settings say to compress: kFormat when compression is on.
inline ChunkCompression ChosenCompression(const Settings& settings) {
  return settings.compression == 1 ? ChunkCompression::kFormat : ChunkCompression::kNone;
}

// Whom an encryption is for: peerPublicKey, then each further recipient and with toSelf the
// own key, each not given before.
std::vector<ByteBuffer> RecipientsOf(const OperationRequest& request);

// Runs the request: picks the format and pipeline, and turns how it ended into one outcome.
// The pipelines write through temporary files, so after a failure or a cancel no partial
// target exists and an older file at the target name is as it was. Throws nothing: an
// exception gives the operation's failure of unknown cause.
OperationResult RunFileOperation(OperationRequest& request, RandomGenerator& generator);

// Asks the running operation to stop; safe from any thread.
void RequestCancel(OperationRequest& request);

// Clears the progress counters and cancel flags of an earlier run.
void ResetProgress(OperationRequest& request);

// How far the running operation is: a fraction of 1, and the bytes done. Both are 0 until the
// pipeline knows its size.
double ProgressFraction(const OperationRequest& request);
std::uint64_t ProgressBytes(const OperationRequest& request);

}  // namespace qs
