#pragma once
#include <cstdint>

#include "crypto/bigint.h"
#include "crypto/montgomery.h"

namespace qs {

// The vector path of PowerPairUniform (see montgomery_pair.h): numbers are held as 52-bit
// digits, eight to a 512-bit register, multiplied with the IFMA instructions, and the two
// exponentiations share one loop so that while one waits on its carries the other's products
// run. Only when HardwareIfmaEnabled().
bool IfmaPowerWidth(std::uint32_t limbs);  // whether this many limbs have a vector path
void IfmaPowerPair(const MontgomeryModulus& mod1, const Limbs& form1, const BigInt& x1,
                   const MontgomeryModulus& mod2, const Limbs& form2, const BigInt& x2, std::uint32_t bits,
                   Limbs& out1, Limbs& out2);

}  // namespace qs
