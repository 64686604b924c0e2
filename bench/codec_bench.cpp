// Compresses and decompresses files chunk by chunk as the encrypted-file pipeline does and
// prints the throughput both ways and the ratio: codec_bench [--strong] FILE...
// --strong compresses with CompressChunkStrong instead of the format's own compressor.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "codec/chunk_codec.h"
#include "codec/limits.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

bool Run(const char* path, bool strong) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file.good() && !file.eof()) return false;
  std::vector<qs::ByteBuffer> chunks;
  for (std::size_t at = 0; at < bytes.size(); at += qs::kMaxChunkBytes) {
    const std::size_t n = std::min<std::size_t>(qs::kMaxChunkBytes, bytes.size() - at);
    chunks.emplace_back(reinterpret_cast<const std::uint8_t*>(bytes.data() + at),
                        static_cast<std::uint32_t>(n));
  }

  std::vector<qs::ByteBuffer> packed = chunks;
  int modes[3] = {};
  const auto compressStart = Clock::now();
  for (qs::ByteBuffer& chunk : packed) {
    if (!(strong ? qs::CompressChunkStrong(chunk) : qs::CompressChunk(chunk, qs::kChunkBlockSorted)))
      return false;
    ++modes[chunk.data()[0]];
  }
  const double compressSeconds = Seconds(compressStart);

  std::size_t packedBytes = 0;
  for (const qs::ByteBuffer& chunk : packed) packedBytes += chunk.length();
  const auto decompressStart = Clock::now();
  for (qs::ByteBuffer& chunk : packed) {
    if (!qs::DecompressChunk(chunk)) return false;
  }
  const double decompressSeconds = Seconds(decompressStart);
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (!packed[i].equals(chunks[i])) return false;
  }

  const double mb = static_cast<double>(bytes.size()) / 1e6;
  std::printf(
      "%-28s %8.1f MB  ratio %6.3f  compress %7.2f MB/s  decompress %7.2f MB/s  modes 0/1/2: %d/%d/%d\n",
      path, mb, static_cast<double>(packedBytes) / static_cast<double>(bytes.size()), mb / compressSeconds,
      mb / decompressSeconds, modes[0], modes[1], modes[2]);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool strong = argc > 1 && std::strcmp(argv[1], "--strong") == 0;
  for (int i = strong ? 2 : 1; i < argc; ++i) {
    if (!Run(argv[i], strong)) {
      std::fprintf(stderr, "%s: failed\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
