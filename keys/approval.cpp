#include "keys/approval.h"

#include <algorithm>

#include "keys/record_text.h"

namespace qs {
namespace {

bool SameField(const DataField& a, const DataField& b) {
  return a.name.units() == b.name.units() && a.value.units() == b.value.units();
}

bool SameFields(const std::vector<DataField>& a, const std::vector<DataField>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameField);
}

bool Verified(const CertificationResult& result) { return result.status == CertificationStatus::kVerified; }

// Both verified by a trusted key of one Key-ID.
bool SameAuthority(const CertificationResult& a, const CertificationResult& b) {
  return Verified(a) && Verified(b) && a.keyId.equals(b.keyId);
}

// Whether the authority of results[i] certified other fields at the time since or later.
bool ContradictedSince(const CertificationResults& results, std::size_t i, std::uint32_t since) {
  for (std::size_t j = 0; j < results.size(); ++j) {
    if (j != i && SameAuthority(results[i], results[j]) && results[j].timestamp >= since &&
        !SameFields(results[i].fields, results[j].fields))
      return true;
  }
  return false;
}

bool Conflicting(const CertificationResults& results, std::size_t i) {
  return ContradictedSince(results, i, 0);
}

bool Holds(const CertificationResult& result, const DataField& wanted) {
  return std::any_of(result.fields.begin(), result.fields.end(),
                     [&](const DataField& field) { return SameField(field, wanted); });
}

}  // namespace

std::optional<VerifiedIdentity> VerifiedIdentityOf(const CertificationResult& result) {
  if (!Verified(result)) return std::nullopt;
  VerifiedIdentity identity;
  identity.organisation = DisplayText(result.organisation);
  identity.keyId = HexString(result.keyId);
  for (const DataField& field : result.fields) {
    identity.fields.emplace_back(DisplayText(field.name), DisplayText(field.value));
  }
  return identity;
}

void OrderForApproval(CertificationResults& results) {
  CertificationResults ordered;
  std::vector<bool> placed(results.size(), false);
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (placed[i]) continue;
    std::vector<std::size_t> group{i};
    if (Conflicting(results, i)) {
      for (std::size_t j = i + 1; j < results.size(); ++j) {
        if (SameAuthority(results[i], results[j])) group.push_back(j);
      }
      std::stable_sort(group.begin(), group.end(), [&](std::size_t a, std::size_t b) {
        return results[a].timestamp > results[b].timestamp;
      });
    }
    for (const std::size_t k : group) {
      placed[k] = true;
      ordered.push_back(std::move(results[k]));
    }
  }
  results = std::move(ordered);
}

std::vector<std::string> ConflictingKeyIds(const CertificationResults& results) {
  std::vector<std::string> keyIds;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const std::string keyId = HexString(results[i].keyId);
    if (Conflicting(results, i) && std::find(keyIds.begin(), keyIds.end(), keyId) == keyIds.end())
      keyIds.push_back(keyId);
  }
  return keyIds;
}

bool VouchesFor(const CertificationResults& results, const std::vector<DataField>& expected) {
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (!Verified(results[i]) || ContradictedSince(results, i, results[i].timestamp)) continue;
    if (std::all_of(expected.begin(), expected.end(),
                    [&](const DataField& wanted) { return Holds(results[i], wanted); }))
      return true;
  }
  return false;
}

}  // namespace qs
