#pragma once
#include <cstdint>

#include "base/byte_buffer.h"
#include "base/byte_stream.h"

namespace qs {

// A record is its tag field (the ASCII name), a u16 version that is always 0, and its own
// items. The tags of every record the program stores:
namespace tag {
inline constexpr char kEncryptedFile[] = "EncryptedFile";
inline constexpr char kEncryptedKey[] = "EncryptedKey";
inline constexpr char kSignature[] = "Signature";
inline constexpr char kEncryptedData[] = "EncryptedData";
inline constexpr char kPublicKey[] = "PublicKey";
inline constexpr char kPrivateKey[] = "PrivateKey";
inline constexpr char kPublicCertKey[] = "PublicCertKey";
inline constexpr char kPrivateCertKey[] = "PrivateCertKey";
inline constexpr char kCertification[] = "Certification";
inline constexpr char kCertificate[] = "Certificate";
inline constexpr char kLockedKey[] = "LockedKey";
}  // namespace tag

inline constexpr std::uint16_t kRecordVersion = 0;

// Appends the tag field and version 0.
void AppendRecordHeader(ByteBuffer& out, const char* tag);

// Reads a tag field and version; true only for exactly this tag and version 0.
bool ReadRecordHeader(ByteStream& in, const char* tag);

// True when the record's first field is exactly this tag; the version is not read.
bool HasRecordTag(const ByteBuffer& record, const char* tag);

}  // namespace qs
