#include "tests/crypto/big_number.h"

#include <algorithm>

#include "tests/support/hex.h"

namespace qs::test {

BigInt Number(const std::string& hex) {
  std::string digits = hex;
  digits.insert(0, (8 - digits.size() % 8) % 8, '0');  // whole words
  ByteBuffer bytes = FromHex(digits);
  std::reverse(bytes.data(), bytes.data() + bytes.length());
  return BigInt::fromBytes(bytes);
}

std::string NumberText(const BigInt& value) {
  ByteBuffer bytes = value.toBytes(0);
  std::reverse(bytes.data(), bytes.data() + bytes.length());
  std::string text = ToHex(bytes);
  const std::size_t first = text.find_first_not_of('0');
  text = first == std::string::npos ? "0" : text.substr(first);
  return value.negative() ? "-" + text : text;
}

}  // namespace qs::test
