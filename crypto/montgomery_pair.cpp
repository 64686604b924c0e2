#include "crypto/montgomery_pair.h"

#include "crypto/cpu_features.h"
#include "crypto/montgomery_ifma.h"

namespace qs {

bool VectorPowerAvailable(std::uint32_t limbs) {
#if defined(__x86_64__)
  return HardwareIfmaEnabled() && IfmaPowerWidth(limbs);
#else
  (void)limbs;
  return false;
#endif
}

void PowerPairUniform(const MontgomeryModulus& mod1, const Limbs& form1, const BigInt& x1,
                      const MontgomeryModulus& mod2, const Limbs& form2, const BigInt& x2, std::uint32_t bits,
                      Limbs& out1, Limbs& out2) {
#if defined(__x86_64__)
  if (VectorPowerAvailable(mod1.limbs())) {
    IfmaPowerPair(mod1, form1, x1, mod2, form2, x2, bits, out1, out2);
    return;
  }
#endif
  mod1.powerUniform(form1, x1, bits, out1);
  mod1.fromForm(out1, out1);
  mod2.powerUniform(form2, x2, bits, out2);
  mod2.fromForm(out2, out2);
}

}  // namespace qs
