#include "crypto/key_records.h"

#include "base/byte_stream.h"
#include "base/record.h"

namespace qs {
namespace {

// The modulus at the end of a private blob of this key type: p, q, dP, dQ and qInv of k/2
// bytes each, then n of k bytes.
std::optional<ByteBuffer> ModulusOf(KeyType type, const ByteBuffer& privateBlob) {
  const std::optional<std::uint32_t> bits = KeyTypeBits(type);
  if (!bits) return std::nullopt;
  const std::uint32_t k = *bits / 8;
  if (privateBlob.length() != 5 * (k / 2) + k) return std::nullopt;
  return privateBlob.slice(k, privateBlob.length() - k);
}

}  // namespace

std::optional<std::uint32_t> KeyTypeBits(KeyType type) {
  switch (type) {
    case 0:
      return 2048;
    case 1:
      return 3072;
    case 2:
      return 4096;
    default:
      return std::nullopt;
  }
}

ByteBuffer BuildKeyRecord(const char* tag, const KeyRecord& content) {
  ByteBuffer record;
  AppendRecordHeader(record, tag);
  record.appendU16(content.encryptionKeyType);
  record.appendU16(content.signingKeyType);
  record.appendField(content.encryptionKey);
  record.appendField(content.signingKey);
  return record;
}

std::optional<KeyRecord> ReadKeyRecord(const ByteBuffer& record, const char* tag) {
  ByteStream in(record);
  if (!ReadRecordHeader(in, tag)) return std::nullopt;
  KeyRecord content;
  content.encryptionKeyType = in.readU16();
  content.signingKeyType = in.readU16();
  content.encryptionKey = in.readField();
  content.signingKey = in.readField();
  return content;
}

std::optional<KeyRecord> ReadExactKeyRecord(const ByteBuffer& record, const char* tag) {
  std::optional<KeyRecord> content = ReadKeyRecord(record, tag);
  // Exact when writing it again gives the same bytes: no blob cut short, nothing after them.
  if (!content || !BuildKeyRecord(tag, *content).equals(record)) return std::nullopt;
  return content;
}

std::optional<ByteBuffer> PublicKeyRecordOf(const ByteBuffer& privateRecord) {
  const std::optional<KeyRecord> keys = ReadKeyRecord(privateRecord, tag::kPrivateKey);
  if (!keys) return std::nullopt;
  std::optional<ByteBuffer> encryption = ModulusOf(keys->encryptionKeyType, keys->encryptionKey);
  std::optional<ByteBuffer> signing = ModulusOf(keys->signingKeyType, keys->signingKey);
  if (!encryption || !signing) return std::nullopt;
  return BuildKeyRecord(tag::kPublicKey, {keys->encryptionKeyType, keys->signingKeyType,
                                          std::move(*encryption), std::move(*signing)});
}

}  // namespace qs
