// The chunk decoder, the block-sort stage's decoder on its own, and compression that must give
// every chunk back unchanged.
#include <algorithm>

#include "codec/block_sort.h"
#include "codec/chunk_codec.h"
#include "codec/limits.h"
#include "crypto/random_generator.h"
#include "crypto/symmetric_context.h"
#include "fuzz/fuzz_target.h"

QS_FUZZ_TARGET(decompress_chunk) {
  qs::ByteBuffer chunk(data);
  qs::DecompressChunk(chunk);
}

// A block-sort container straight from the input, so that every last column and primary index
// reach the inverse transform, both its fast walks and the plain walk of blocks that are no
// single cycle.
QS_FUZZ_TARGET(block_sort_decode) {
  qs::ByteBuffer container(data);
  qs::BlockSortDecode(container, qs::kMaxFirstRunLengthBytes);
}

// The first byte chooses the mode (0 to 2), the rest is the chunk.
QS_FUZZ_TARGET(compress_roundtrip) {
  if (data.empty()) return;
  const qs::ByteBuffer original(data.subspan(1));
  qs::ByteBuffer chunk = original;
  if (!qs::CompressChunk(chunk, static_cast<std::uint8_t>(data[0] % 3)))
    qs::fuzz::Fail("compress refused a chunk");
  if (!qs::DecompressChunk(chunk)) qs::fuzz::Fail("decompress refused a compressed chunk");
  if (!chunk.equals(original)) qs::fuzz::Fail("round trip changed the chunk");
}

// Strong compression against the format's own sort: wherever the budget suffices the
// transformed bytes agree (the primary index may differ only among identical rotations), and
// every strongly compressed chunk decodes to itself.
QS_FUZZ_TARGET(strong_roundtrip) {
  const qs::ByteBuffer original(data);
  qs::ByteBuffer complete = original;
  qs::ByteBuffer budgeted = original;
  if (!qs::BlockSortEncode(complete, qs::RotationSort::kComplete))
    qs::fuzz::Fail("complete sort refused a block");
  if (qs::BlockSortEncode(budgeted, qs::RotationSort::kBudgeted)) {
    const std::uint32_t header = complete.length() - original.length();
    if (budgeted.length() != complete.length() ||
        !std::equal(complete.data() + header, complete.data() + complete.length(),
                    budgeted.data() + header)) {
      qs::fuzz::Fail("the two sorts disagree");
    }
  }
  if (!qs::BlockSortDecode(complete, original.length()) || !complete.equals(original)) {
    qs::fuzz::Fail("a completely sorted block does not decode");
  }
  qs::ByteBuffer chunk = original;
  if (!qs::CompressChunkStrong(chunk)) return;  // longer than a chunk
  if (!qs::DecompressChunk(chunk)) qs::fuzz::Fail("decompress refused a strongly compressed chunk");
  if (!chunk.equals(original)) qs::fuzz::Fail("strong round trip changed the chunk");
}

// The first 32 bytes are the master key, byte 32 picks a byte to flip, the rest is the
// message: opening what was sealed gives it back, and the sealed buffer with that one byte
// flipped does not open.
QS_FUZZ_TARGET(seal_roundtrip) {
  if (data.size() < 33) return;
  static qs::RandomGenerator& generator = []() -> qs::RandomGenerator& {
    static qs::RandomGenerator seeded;
    const std::uint8_t seed[32] = {7};
    if (!seeded.addSeed(seed, 0, true)) qs::fuzz::Fail("generator seed");
    return seeded;
  }();
  qs::SymmetricContext sealer(data.first(32), &generator);
  if (sealer.failed()) return;  // an all-zero key is refused
  const qs::ByteBuffer message(data.subspan(33));
  qs::ByteBuffer sealed = message;
  if (!sealer.encrypt(sealed)) qs::fuzz::Fail("seal failed");
  if (sealed.length() != qs::SymmetricContext::SealedSize(message.length())) qs::fuzz::Fail("sealed size");
  qs::ByteBuffer damaged = sealed;
  damaged.at(data[32] * 7919u % damaged.length()) ^= 0x01;
  qs::SymmetricContext opener(data.first(32), nullptr);
  if (!opener.decrypt(sealed) || !sealed.equals(message)) qs::fuzz::Fail("round trip changed the message");
  if (opener.decrypt(damaged)) qs::fuzz::Fail("a damaged buffer opened");
}
