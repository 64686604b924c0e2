#include "codec/run_length.h"

#include <cstring>
#include <limits>

#include "base/secure_wipe.h"

namespace qs {
namespace {

constexpr std::uint32_t kMinRun = 4;
constexpr std::uint32_t kMaxRun = 259;

// Calls emit(byte, count) for every token; false when the stream ends inside a token.
template <class Emit>
bool ForEachToken(const std::uint8_t* in, std::uint32_t n, Emit emit) {
  const std::uint8_t escape = in[0];
  std::uint32_t i = 1;
  while (i < n) {
    if (in[i] != escape) {
      emit(in[i], 1);
      i += 1;
    } else if (n - i < 2) {
      return false;
    } else if (in[i + 1] == escape) {
      emit(escape, 1);
      i += 2;
    } else if (n - i < 3) {
      return false;
    } else {
      emit(in[i + 1], in[i + 2] + kMinRun);
      i += 3;
    }
  }
  return true;
}

}  // namespace

void RunLengthEncode(ByteBuffer& buffer) {
  const std::uint8_t* in = buffer.data();
  const std::uint32_t n = buffer.length();
  std::uint32_t counts[256] = {};
  for (std::uint32_t i = 0; i < n; ++i) ++counts[in[i]];
  std::uint8_t escape = 0;
  for (int v = 1; v < 256; ++v) {
    if (counts[v] <= counts[escape]) escape = static_cast<std::uint8_t>(v);
  }

  // Literals never grow and runs shrink, so only the escapes' doubling adds to the input length.
  const std::uint64_t bound = std::uint64_t{1} + n + counts[escape];
  if (bound > std::numeric_limits<std::uint32_t>::max()) throw BufferFailure("buffer length overflow");
  ByteBuffer out = ByteBuffer::zeros(static_cast<std::uint32_t>(bound));
  SecureWipe(counts, sizeof counts);
  std::uint8_t* o = out.data();
  std::uint32_t k = 0;
  o[k++] = escape;
  std::uint32_t i = 0;
  while (i < n) {
    const std::uint8_t b = in[i];
    if (b == escape) {
      o[k++] = escape;
      o[k++] = escape;
      i += 1;
      continue;
    }
    const std::uint32_t limit = n - i < kMaxRun ? n - i : kMaxRun;
    std::uint32_t run = 1;
    while (run < limit && in[i + run] == b) ++run;
    if (run < kMinRun) {
      o[k++] = b;
      i += 1;
    } else {
      o[k++] = escape;
      o[k++] = b;
      o[k++] = static_cast<std::uint8_t>(run - kMinRun);
      i += run;
    }
  }
  out.resize(k);
  buffer = std::move(out);
}

bool RunLengthDecode(ByteBuffer& buffer, std::uint32_t maxOutput) {
  const std::uint8_t* in = buffer.data();
  const std::uint32_t n = buffer.length();
  if (n == 0) return false;

  // Measure first, so the output is allocated once and never beyond the cap.
  std::uint64_t total = 0;
  if (!ForEachToken(in, n, [&](std::uint8_t, std::uint32_t count) { total += count; })) return false;
  if (total > maxOutput) return false;

  ByteBuffer out = ByteBuffer::zeros(static_cast<std::uint32_t>(total));
  std::uint8_t* o = out.data();
  ForEachToken(in, n, [&](std::uint8_t b, std::uint32_t count) {
    std::memset(o, b, count);
    o += count;
  });
  buffer = std::move(out);
  return true;
}

}  // namespace qs
