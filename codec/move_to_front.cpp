#include "codec/move_to_front.h"

#include <cstring>

#include "base/secure_wipe.h"

namespace qs {
namespace {

struct ValueList {
  std::uint8_t values[256];

  ValueList() {
    for (int i = 0; i < 256; ++i) values[i] = static_cast<std::uint8_t>(i);
  }
  // The list's order reflects the recent plain text.
  ~ValueList() { SecureWipe(values, sizeof values); }

  void moveToFront(std::uint8_t place) {
    const std::uint8_t v = values[place];
    std::memmove(values + 1, values, place);
    values[0] = v;
  }
};

}  // namespace

void MoveToFrontEncode(std::span<std::uint8_t> bytes) {
  ValueList list;
  for (std::uint8_t& b : bytes) {
    // memchr scans the list many bytes at a time; every value is in it.
    const auto* found = static_cast<const std::uint8_t*>(std::memchr(list.values, b, sizeof list.values));
    const auto place = static_cast<std::uint8_t>(found - list.values);
    list.moveToFront(place);
    b = place;
  }
}

void MoveToFrontDecode(std::span<std::uint8_t> bytes) {
  ValueList list;
  for (std::uint8_t& b : bytes) {
    const std::uint8_t v = list.values[b];
    list.moveToFront(b);
    b = v;
  }
}

}  // namespace qs
