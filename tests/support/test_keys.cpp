#include "tests/support/test_keys.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs::test {

const TestKeyPair& KeyPairOf(const std::string& name) {
  static const std::map<std::string, TestKeyPair> pairs = [] {
    std::map<std::string, TestKeyPair> loaded;
    for (const Vector& v : LoadVectors("keys/key_pairs.txt")) {
      loaded[v.at("Name")] = TestKeyPair{FromHex(v.at("Private")), FromHex(v.at("Public"))};
    }
    return loaded;
  }();
  const auto it = pairs.find(name);
  if (it == pairs.end()) {
    ADD_FAILURE() << "no test key pair " << name;
    static const TestKeyPair none;
    return none;
  }
  return it->second;
}

}  // namespace qs::test
