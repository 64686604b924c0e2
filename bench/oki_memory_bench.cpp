// Peak memory of the OKI-format pipelines at the largest file the format holds (250 MiB):
// encryption and decryption each run in a child process of their own, which starts from this
// small one, and the child's largest resident size (ru_maxrss) is printed as the row
//
//   OKI-format peak memory at 250 MiB: encrypt <MiB> MiB, decrypt <MiB> MiB (target ≤ 64 MiB each).
//
// Argument: the folder for the three files (default /tmp); they are removed at the end. POSIX.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "crypto/key_pair.h"
#include "crypto/random_generator.h"
#include "formats/oki_file.h"

namespace {

// The largest resident size of work run in a child, in MiB; the child fails the bench when
// work does.
double ChildPeakMib(const std::function<bool()>& work) {
  const pid_t child = fork();
  if (child < 0) std::abort();
  if (child == 0) _exit(work() ? 0 : 1);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the child failed\n");
    std::exit(1);
  }
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
}

// size bytes of a repeating pattern, written 1 MiB at a time.
void WritePlain(const std::string& path, std::uint32_t size) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) std::abort();
  std::vector<unsigned char> piece(1 << 20);
  for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<unsigned char>(i * 131 + i / 4096);
  for (std::uint32_t done = 0; done < size; done += static_cast<std::uint32_t>(piece.size())) {
    if (std::fwrite(piece.data(), 1, piece.size(), out) != piece.size()) std::abort();
  }
  if (std::fclose(out) != 0) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp";
  qs::RandomGenerator generator;
  std::vector<std::uint8_t> seed(32);
  for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = static_cast<std::uint8_t>(i * 37 + 11);
  generator.addSeed(seed, 0, true);
  const std::optional<qs::KeyPairRecords> keys = qs::GenerateKeyPair(0, 0, generator, nullptr);
  if (!keys) std::abort();

  const std::string plain = folder + "/oki-bench.plain";
  const std::string sealed = folder + "/oki-bench.oki";
  const std::string opened = folder + "/oki-bench.out";
  WritePlain(plain, qs::kMaxOkiPlainBytes);
  qs::FileJob job;
  job.generator = &generator;
  job.source = plain;
  job.target = sealed;
  const double encrypt =
      ChildPeakMib([&] { return qs::EncryptOkiFile(job, keys->privateRecord, keys->publicRecord).ok(); });
  job.source = sealed;
  job.target = opened;
  const double decrypt =
      ChildPeakMib([&] { return qs::DecryptOkiFile(job, keys->privateRecord, keys->publicRecord).ok(); });
  std::remove(plain.c_str());
  std::remove(sealed.c_str());
  std::remove(opened.c_str());
  std::printf(
      "OKI-format peak memory at 250 MiB: encrypt %.1f MiB, decrypt %.1f MiB (target ≤ 64 MiB each).\n",
      encrypt, decrypt);
  return 0;
}
