#pragma once
#include <cstdint>

#include "crypto/bigint.h"
#include "crypto/montgomery.h"

namespace qs {

// out1 = base1^x1 mod m1 and out2 = base2^x2 mod m2, the two halves of an RSA private
// operation: plain values below their moduli, from forms under each modulus' R, with fixed
// windows over bits 0 .. bits − 1 of both exponents. Both moduli have the same limb count.
// Time depends on bits and the limb count only, as MontgomeryModulus::powerUniform.
//
// Where the processor has 52-bit multiply-add vector instructions, the two run in one loop
// on them (16 and 32 limbs, the halves of 2048- and 4096-bit keys); otherwise one after the
// other on the 64-bit limb code.
void PowerPairUniform(const MontgomeryModulus& mod1, const Limbs& form1, const BigInt& x1,
                      const MontgomeryModulus& mod2, const Limbs& form2, const BigInt& x2, std::uint32_t bits,
                      Limbs& out1, Limbs& out2);

// Whether PowerPairUniform takes the vector path for moduli of this many limbs.
bool VectorPowerAvailable(std::uint32_t limbs);

}  // namespace qs
