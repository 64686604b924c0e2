#pragma once
#include <cstdint>
#include <string>

#include "base/byte_buffer.h"
#include "formats/file_job.h"
#include "formats/file_result.h"

namespace qs {

// Encrypts job.source for the holder of recipientPublic ("PublicKey" record) into the native
// format, signed with senderPrivate ("PrivateKey" record) and bound to it
// (crypto/sender_binding.h). Decrypts a file sent by the holder of senderPublic with
// recipientPrivate; a file bound to another sender fails with kKeys, as a header signed by
// another does.
//
// Both refuse a target that is the source itself (kTarget) before touching anything, write
// through a temporary file beside the target, and put it in place only when complete: on
// failure or cancel nothing is left behind and an older file at the target name stays as it
// was, so callers delete nothing. A failure says which file and why.
FileResult EncryptFile(const FileJob& job, const ByteBuffer& senderPrivate,
                       const ByteBuffer& recipientPublic);

FileResult DecryptFile(const FileJob& job, const ByteBuffer& recipientPrivate,
                       const ByteBuffer& senderPublic);

}  // namespace qs
