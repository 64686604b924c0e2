#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "base/byte_buffer.h"
#include "formats/file_job.h"
#include "formats/file_result.h"

namespace qs {

// Encrypts job.source for the holder of recipientPublic ("PublicKey" record) into the native
// format, signed with senderPrivate ("PrivateKey" record) and bound to it
// (crypto/sender_binding.h). Decrypts a file of either header version sent by the holder of
// senderPublic with recipientPrivate; a file bound to another sender fails with kKeys, as a
// header signed by another does, and so does a version-1 file whose content is not what its
// sender signed.
//
// Both refuse a target that is the source itself (kTarget) before touching anything, write
// through a temporary file beside the target, and put it in place only when complete: on
// failure or cancel nothing is left behind and an older file at the target name stays as it
// was, so callers delete nothing. A failure says which file and why.
//
// With job.sourceStream the plain size is known only at the stream's end: the chunks are
// sealed as they come and wait, sealed, beside the target until the header can be signed;
// no plaintext reaches the disk. With job.targetStream each chunk goes out once it has
// opened and decompressed, so a failure later in the file comes after the chunks before it
// (of a version-1 file, content its sender did not sign is refused before any goes out);
// with job.checkOnly everything is read and checked and nothing is written.
//
// With several recipients ("PublicKey" records, no two the same, at most kMaxRecipients) each
// can decrypt the file: one gets a version-0 header, more a version-1 header
// (formats/recipients_header.h). Any other list fails with kKeys before anything is
// written; the front ends refuse it with their own words first.
FileResult EncryptFile(const FileJob& job, const ByteBuffer& senderPrivate,
                       std::span<const ByteBuffer> recipientPublics);

inline FileResult EncryptFile(const FileJob& job, const ByteBuffer& senderPrivate,
                              const ByteBuffer& recipientPublic) {
  return EncryptFile(job, senderPrivate, std::span(&recipientPublic, 1));
}

FileResult DecryptFile(const FileJob& job, const ByteBuffer& recipientPrivate,
                       const ByteBuffer& senderPublic);

}  // namespace qs
