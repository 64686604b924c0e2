#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "formats/file_job.h"
#include "formats/file_result.h"

namespace qs {

// The OKI-format: u32 L, then one "EncryptedData" record of L bytes holding the whole file,
// and nothing after it. The pipelines stream the record a piece at a time, so memory stays
// small at any size; the limits are the format's.
//
// What it authenticates: the sender signs only the SHA-256 of C, the KEM ciphertext, with no
// label; the data is sealed under the key C carries. So the signature shows who made C, and
// the sealed data's IV (crypto/sender_binding.h) that the one who made C also sealed the
// data. A C whose tail reads as a signed-information block is refused: a signature file over
// a document of the right length and its block would otherwise pass as a sender signature.
inline constexpr std::uint32_t kMaxOkiPlainBytes = 262144000;   // 250 MiB
inline constexpr std::uint32_t kMaxOkiRecordBytes = 288358400;  // 275 MiB
inline constexpr std::uint32_t kOkiDetectionBytes = 100;

// Which format an encrypted file is in, told by its first 100 bytes: OKI when the first field
// after the length prefix is "EncryptedData", native otherwise. Nothing when the file cannot
// be read or holds fewer than 100 bytes; why then says which.
enum class EncryptedFormat : std::uint8_t { kNative, kOki };
std::optional<EncryptedFormat> DetectEncryptedFormat(const std::string& source, FileResult& why);

// The "EncryptedData" record of an OKI-format file; nothing when the file cannot be read or
// L is above the limit or does not end exactly at the file's end, why then says which.
std::optional<ByteBuffer> ReadOkiRecord(const std::string& source, FileResult& why);

// Both take the job and keys as the native pipelines do (formats/encrypted_file.h), refuse a
// target that is the source itself, and put the target in place only when it is complete:
// on failure or cancel nothing is left behind and an older file at the target name stays as
// it was.
//
// Encryption writes the record's lengths as for an empty file, seals the source as it is read
// and puts the lengths right at the end, so that only sealed bytes ever reach the disk. A
// named source above 250 MiB is not read at all, a source stream is refused as soon as more
// than 250 MiB came (kTooLarge).
FileResult EncryptOkiFile(const FileJob& job, const ByteBuffer& senderPrivate,
                          const ByteBuffer& recipientPublic);

// Decryption reads the named source twice: the first pass checks the signature over C, the
// key, the MAC over all of the sealed data and the sender binding; only then the second
// decrypts and writes, to a new file, the target stream, or (checkOnly) nowhere. It checks
// the MAC again, so that a source changed between the passes fails (kDamaged) instead of
// passing unauthenticated bytes; a target stream has then already taken them.
FileResult DecryptOkiFile(const FileJob& job, const ByteBuffer& recipientPrivate,
                          const ByteBuffer& senderPublic);

}  // namespace qs
