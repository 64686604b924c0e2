#include <windows.h>
// dpapi.h needs the types of windows.h first.
#include <dpapi.h>

#include <limits>

#include "platform/account_protection.h"

namespace qs::platform {
namespace {

// The machine's identity, as the bytes of its UTF-16 text. Wine derives the account's key
// from the user name alone, so without it a blob would open in any other Wine prefix of a
// user with the same name; on Windows it binds the blob to this installation as well.
std::optional<std::vector<std::uint8_t>> MachineIdentity() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0, KEY_READ | KEY_WOW64_64KEY,
                    &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  wchar_t text[128] = {};
  DWORD type = 0;
  DWORD size = sizeof(text) - sizeof(wchar_t);  // room for a terminator the value may lack
  const LSTATUS status =
      RegQueryValueExW(key, L"MachineGuid", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  std::size_t chars = size / sizeof(wchar_t);
  while (chars > 0 && text[chars - 1] == L'\0') --chars;
  if (chars == 0) return std::nullopt;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  return std::vector<std::uint8_t>(bytes, bytes + chars * sizeof(wchar_t));
}

// The caller's entropy followed by the machine's identity; nothing without the identity.
std::optional<std::vector<std::uint8_t>> MachineEntropy(std::span<const std::uint8_t> entropy) {
  std::optional<std::vector<std::uint8_t>> identity = MachineIdentity();
  if (!identity) return std::nullopt;
  std::vector<std::uint8_t> all(entropy.begin(), entropy.end());
  all.insert(all.end(), identity->begin(), identity->end());
  return all;
}

bool FitsBlob(std::span<const std::uint8_t> bytes) {
  return bytes.size() <= std::numeric_limits<DWORD>::max();
}

DATA_BLOB Blob(std::span<const std::uint8_t> bytes) {
  // The system only reads the input blobs.
  return {static_cast<DWORD>(bytes.size()), const_cast<BYTE*>(bytes.data())};
}

// A blob the system allocated, released on every path; wiped first when it holds plaintext.
class SystemBlob {
 public:
  explicit SystemBlob(bool secret) : secret_(secret) {}
  SystemBlob(const SystemBlob&) = delete;
  SystemBlob& operator=(const SystemBlob&) = delete;
  ~SystemBlob() {
    if (blob.pbData == nullptr) return;
    if (secret_) SecureZeroMemory(blob.pbData, blob.cbData);
    LocalFree(blob.pbData);
  }
  std::vector<std::uint8_t> bytes() const { return {blob.pbData, blob.pbData + blob.cbData}; }

  DATA_BLOB blob = {};

 private:
  bool secret_;
};

}  // namespace

bool AccountProtectionAvailable() { return MachineIdentity().has_value(); }

std::optional<std::vector<std::uint8_t>> ProtectForAccount(std::span<const std::uint8_t> data,
                                                           std::span<const std::uint8_t> entropy) {
  std::optional<std::vector<std::uint8_t>> all = MachineEntropy(entropy);
  if (!all || !FitsBlob(data) || !FitsBlob(*all)) return std::nullopt;
  DATA_BLOB in = Blob(data);
  DATA_BLOB salt = Blob(*all);
  SystemBlob out(false);  // the locked form is no secret
  if (!CryptProtectData(&in, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob)) {
    return std::nullopt;
  }
  return out.bytes();
}

std::optional<std::vector<std::uint8_t>> UnprotectForAccount(std::span<const std::uint8_t> sealed,
                                                             std::span<const std::uint8_t> entropy) {
  std::optional<std::vector<std::uint8_t>> all = MachineEntropy(entropy);
  if (!all || !FitsBlob(sealed) || !FitsBlob(*all)) return std::nullopt;
  DATA_BLOB in = Blob(sealed);
  DATA_BLOB salt = Blob(*all);
  SystemBlob out(true);
  if (!CryptUnprotectData(&in, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob)) {
    return std::nullopt;
  }
  return out.bytes();
}

}  // namespace qs::platform
