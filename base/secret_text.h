#pragma once
#include <string>

#include "base/secure_wipe.h"

namespace qs {

// Text that must not outlive its use, such as a passphrase: wiped when it goes or is
// replaced, copies included.
class SecretText {
 public:
  SecretText() = default;
  // A copy: the caller wipes its own (WipeText), as a moved string may leave its bytes behind.
  explicit SecretText(const std::string& text) : text_(text) {}
  SecretText(const SecretText& other) : text_(other.text_) {}
  SecretText& operator=(const SecretText& other) {
    if (this != &other) {
      wipe();
      text_ = other.text_;
    }
    return *this;
  }
  ~SecretText() { wipe(); }

  const std::string& str() const { return text_; }
  bool empty() const { return text_.empty(); }

  void wipe() noexcept {
    SecureWipe(text_.data(), text_.size());
    text_.clear();
  }

 private:
  std::string text_;
};

// Wipes a string that held a secret and empties it.
inline void WipeText(std::string& text) noexcept {
  SecureWipe(text.data(), text.size());
  text.clear();
}

}  // namespace qs
