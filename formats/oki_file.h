#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "formats/file_job.h"
#include "formats/file_result.h"

namespace qs {

// The OKI-format: u32 L, then one "EncryptedData" record of L bytes holding the whole file,
// and nothing after it. Everything happens in memory, hence the limits.
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
// it was. A source above 250 MiB is not read at all (kTooLarge).
FileResult EncryptOkiFile(const FileJob& job, const ByteBuffer& senderPrivate,
                          const ByteBuffer& recipientPublic);

FileResult DecryptOkiFile(const FileJob& job, const ByteBuffer& recipientPrivate,
                          const ByteBuffer& senderPublic);

}  // namespace qs
