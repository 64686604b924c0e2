#pragma once
#include <cstdint>
#include <string>

#include "base/byte_buffer.h"
#include "crypto/sender_binding.h"
#include "formats/progress.h"
#include "platform/file.h"

namespace qs {

class RandomGenerator;

// How encryption compresses each chunk. Both kinds set the header's compressed flag and write
// chunks every reader decodes; kStrong sorts every block to the end (CompressChunkStrong),
// kFormat is the format's own compressor, fully determined by the input.
enum class ChunkCompression : std::uint8_t { kNone, kFormat, kStrong };

struct PipelineParams {
  RandomGenerator* generator = nullptr;
  ChunkCompression compression = ChunkCompression::kNone;  // encryption only; decryption follows the header
  ChunkProgress* progress = nullptr;  // current = chunk just done, count = chunks; optional
  // decryption, out, optional: whether the file binds its sender (kOtherSender never
  // decrypts); kUnbound for a file of an earlier writer, which anyone who saw it can have
  // signed again
  SenderBinding* senderBinding = nullptr;
  platform::Overwrite overwrite = platform::Overwrite::kReplace;  // a file at the target name by the end
};

// Encrypts source for the holder of peerPublic ("PublicKey" record), signed with
// ownPrivate ("PrivateKey" record) and bound to it (crypto/sender_binding.h), into the native
// format. Decrypts a file sent by the holder of peerPublic with ownPrivate; a file bound to
// another sender fails with kKeys, as a header signed by another does.
//
// Both refuse a target that is the source itself (kTarget) before touching anything, write
// through a temporary file beside the target, and put it in place only when complete: on
// failure or cancel nothing is left behind and an older file at the target name stays as it
// was, so callers delete nothing. On failure code says why.
bool EncryptFile(const PipelineParams& params, const ByteBuffer& ownPrivate, const ByteBuffer& peerPublic,
                 const std::string& source, const std::string& target, ResultCode& code);

bool DecryptFile(const PipelineParams& params, const ByteBuffer& ownPrivate, const ByteBuffer& peerPublic,
                 const std::string& source, const std::string& target, ResultCode& code);

}  // namespace qs
