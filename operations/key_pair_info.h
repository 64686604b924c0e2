#pragma once
#include <optional>
#include <string>

namespace qs {

// What the key-pair information shows for the stored key pair, UTF-8. An unset field is
// left as it was on screen.
struct KeyPairInfo {
  std::optional<std::string> name;                 // set when priv_key.bin could be read
  std::optional<std::string> fingerprint;          // 64 hex digits, "Nyckel saknas" without a key pair,
                                                   // unset when the stored public record has a wrong tag
  std::optional<std::string> encryptionAlgorithm;  // set for key types 0, 1 and 2
  std::optional<std::string> signingAlgorithm;
};

KeyPairInfo DescribeStoredKeyPair(const std::string& workingFolder);

}  // namespace qs
