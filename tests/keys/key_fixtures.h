#pragma once
#include <string>
#include <utility>
#include <vector>

#include "base/byte_buffer.h"
#include "keys/cert_keys.h"
#include "keys/data_fields.h"

namespace qs::test {

// A certification key pair built from the signing key of a fixed test key pair ("bob" or
// "carol", 2048 bits), so tests need not generate one.
CertKeyPairRecords CertKeyFrom(const std::string& pairName, const std::string& organisation,
                               const std::string& keyIdHex);

// One certification key pair of 2048 bits for the organisation "Test Org", generated once
// per run: generation is slow, so every test that needs a real one shares it.
const CertKeyPairRecords& GeneratedCertKeyPair();

std::vector<DataField> Fields(const std::vector<std::pair<std::string, std::string>>& namesAndValues);

// Stores a fixed test key pair as priv_key.bin of the folder.
void StoreTestKeyPair(const std::string& folder, const std::string& pairName, const std::string& keyName);

// A certification of a public key record with fixed fields and timestamp.
ByteBuffer CertificationOf(const ByteBuffer& publicRecord, const CertKeyPairRecords& authority,
                           std::uint32_t timestamp = 1700000000);

// Writes content in the whole-file container.
void WriteContent(const std::string& path, const ByteBuffer& content);

// A fixed test key pair's ".public_key" file at path with its proof of possession beside it,
// as an export writes them.
void WriteExportedPublicKey(const std::string& path, const std::string& pairName);

// A "PublicKey" record joining one test pair's encryption key to another's signing key.
ByteBuffer HybridPublicKey(const std::string& encryptionPair, const std::string& signingPair);

// A signature file over the file at path, made with the named test pair's signing key and the
// message given: what anyone holding that key can make.
void SignFileAs(const std::string& pairName, const std::string& path, const std::string& signaturePath,
                const std::string& message);

}  // namespace qs::test
