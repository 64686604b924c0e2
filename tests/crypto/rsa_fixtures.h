#pragma once
#include <string>

#include "crypto/random_generator.h"
#include "crypto/rsa_key.h"
#include "tests/support/vectors.h"

namespace qs::test {

// The known-answer block of tests/data/crypto/rsa_2048.txt with this name ("encryption" or
// "signing").
const Vector& RsaVector(const std::string& name);

// The 2048-bit key of that block, private or public, for the given use.
RsaKey RsaTestKey(const std::string& name, bool privateWanted, KeyUsage usage, RandomGenerator* generator);

// Gives a generator the full credit through a fixed seed.
void Credit(RandomGenerator& generator);

// True in the sanitizer and Windows builds. They run the whole suite too, and there the
// costliest case (a 4096-bit generation) would take longer than all the others together.
bool SlowRunner();

}  // namespace qs::test
