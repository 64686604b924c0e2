#pragma once
#include <string>

#include "base/byte_buffer.h"

namespace qs::test {

// Fixed key pairs, so tests need not generate keys: "alice" (encryption 2048 bits, signing
// 4096), "bob" (encryption 4096, signing 2048) and "carol" (2048 and 2048).
struct TestKeyPair {
  ByteBuffer privateRecord;
  ByteBuffer publicRecord;
};

const TestKeyPair& KeyPairOf(const std::string& name);

}  // namespace qs::test
