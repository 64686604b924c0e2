#include "tests/codec/sample_data.h"

#include <cstring>
#include <string>

#include "base/byte_order.h"
#include "codec/block_sort.h"
#include "codec/huffman.h"
#include "codec/move_to_front.h"
#include "codec/run_length.h"

namespace qs::test {
namespace {

// splitmix64: small, and identical everywhere unlike the standard distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(next() % bound); }

 private:
  std::uint64_t state_;
};

const char* const kWords[] = {
    "the",         "of",          "and",     "to",    "in",        "file",   "key",       "is",      "for",
    "that",        "with",        "chunk",   "as",    "signature", "be",     "on",        "by",      "this",
    "which",       "or",          "from",    "block", "at",        "an",     "record",    "are",     "each",
    "buffer",      "length",      "not",     "it",    "when",      "header", "value",     "bytes",   "one",
    "all",         "certificate", "first",   "its",   "then",      "user",   "encrypted", "trusted", "data",
    "compression", "public",      "program", "every", "stream",    "order",  "table",     "index",   "tree"};

void FillText(std::uint8_t* out, std::uint32_t n, Random& random) {
  std::string text;
  std::size_t lineStart = 0;
  bool capital = true;
  while (text.size() < n) {
    std::string word = kWords[random.below(sizeof kWords / sizeof kWords[0])];
    if (capital) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    text += word;
    capital = false;
    const std::uint32_t r = random.below(20);
    if (r == 0) {
      text += ". ";
      capital = true;
    } else if (r == 1) {
      text += ", ";
    } else {
      text += ' ';
    }
    if (text.size() - lineStart > 72) {
      text.back() = '\n';
      lineStart = text.size();
    }
  }
  if (n != 0) std::memcpy(out, text.data(), n);
}

void FillBinary(std::uint8_t* out, std::uint32_t n, Random& random) {
  std::uint8_t record[32] = {};
  for (std::uint32_t i = 0, id = 1000; i < n; ++id) {
    std::memset(record, 0, sizeof record);
    for (int b = 0; b < 4; ++b) record[b] = static_cast<std::uint8_t>(id >> (8 * b));
    record[4] = static_cast<std::uint8_t>(random.below(8));
    record[6] = static_cast<std::uint8_t>(random.below(256));
    const std::uint64_t address = 0x00007F3A10000000ull + 16 * random.below(1 << 16);
    for (int b = 0; b < 8; ++b) record[8 + b] = static_cast<std::uint8_t>(address >> (8 * b));
    record[16] = static_cast<std::uint8_t>(random.below(100) < 90 ? 0xFF : random.below(256));
    for (std::uint32_t b = 0; b < sizeof record && i < n; ++b) out[i++] = record[b];
  }
}

void FillRuns(std::uint8_t* out, std::uint32_t n, Random& random) {
  static const std::uint8_t kValues[] = {0x00, 0x00, 0x20, 0xFF, 0xFE, 0x41, 0x0A};
  for (std::uint32_t i = 0; i < n;) {
    const std::uint8_t v = kValues[random.below(sizeof kValues)];
    std::uint32_t run = random.below(4) == 0 ? 1 + random.below(700) : 1 + random.below(6);
    for (; run > 0 && i < n; --run) out[i++] = v;
  }
}

}  // namespace

ByteBuffer MakeSample(Sample kind, std::uint32_t n, std::uint64_t seed) {
  ByteBuffer b = ByteBuffer::zeros(n);
  Random random(seed * 0x100 + static_cast<std::uint64_t>(kind));
  switch (kind) {
    case Sample::kText:
      FillText(b.data(), n, random);
      break;
    case Sample::kBinary:
      FillBinary(b.data(), n, random);
      break;
    case Sample::kRandom:
      for (std::uint32_t i = 0; i < n; ++i) b.data()[i] = static_cast<std::uint8_t>(random.next());
      break;
    case Sample::kRuns:
      FillRuns(b.data(), n, random);
      break;
  }
  return b;
}

const char* SampleName(Sample kind) {
  switch (kind) {
    case Sample::kText:
      return "text";
    case Sample::kBinary:
      return "binary";
    case Sample::kRandom:
      return "random";
    case Sample::kRuns:
      return "runs";
  }
  return "?";
}

ByteBuffer BlockSortedChunk(ByteBuffer container) {
  MoveToFrontEncode(container.span());
  RunLengthEncode(container);
  HuffmanEncode(container);
  const std::uint8_t mode = 2;
  container.prepend(&mode, 1);
  return container;
}

ByteBuffer OneBlockContainer(const ByteBuffer& last, std::uint32_t primary) {
  ByteBuffer b = ByteBuffer::zeros(5);
  b.data()[0] = 1;
  StoreLe(b.data() + 2, primary, 3);
  b.append(last);
  return b;
}

ByteBuffer PeriodicContainer(const ByteBuffer& unit, std::uint32_t repeats, std::uint32_t copy) {
  ByteBuffer sorted(unit);
  if (!BlockSortEncode(sorted, RotationSort::kBudgeted)) throw BufferFailure("unit not sortable");
  const auto primary = static_cast<std::uint32_t>(LoadLe(sorted.data() + 2, 3));
  ByteBuffer last;
  for (std::uint32_t j = 0; j < unit.length(); ++j) {
    for (std::uint32_t k = 0; k < repeats; ++k) last.appendU8(sorted.data()[5 + j]);
  }
  return OneBlockContainer(last, primary * repeats + copy);
}

}  // namespace qs::test
