#include "formats/chunk_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace qs {
namespace {

// Chunks that pass through slots; every step checks what the pipeline promises.
struct Probe {
  explicit Probe(const ChunkPipeline& pipeline) : slots(pipeline.slots()), busy(pipeline.slots()) {}

  ChunkPipeline::Steps steps(std::uint32_t failReadAt = ~0u, std::uint32_t failWriteAt = ~0u,
                             std::uint32_t throwAt = ~0u) {
    return {
        .read =
            [=, this](std::uint32_t chunk, std::uint32_t slot) {
              EXPECT_EQ(chunk, reads);
              ++reads;
              EXPECT_LE(reads - writes, slots.size()) << "more chunks in flight than slots";
              if (chunk == failReadAt) return false;
              slots[slot] = chunk;
              return true;
            },
        .work =
            [=, this](std::uint32_t slot, std::uint32_t worker) {
              EXPECT_FALSE(busy[slot].exchange(true)) << "two workers on one slot";
              maxWorker = std::max(maxWorker.load(), worker);
              // Later chunks finish first now and then, so the writer must wait for order.
              if (slots[slot] % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
              if (slots[slot] == throwAt) {
                busy[slot] = false;
                throw std::runtime_error("worker failed");
              }
              slots[slot] = slots[slot] * 10 + 7;
              busy[slot] = false;
            },
        .write =
            [=, this](std::uint32_t chunk, std::uint32_t slot) {
              EXPECT_EQ(chunk, writes);
              EXPECT_EQ(slots[slot], chunk * 10 + 7);
              ++writes;
              return chunk != failWriteAt;
            },
    };
  }

  std::vector<std::uint32_t> slots;
  std::vector<std::atomic<bool>> busy;
  std::uint32_t reads = 0;
  std::uint32_t writes = 0;
  std::atomic<std::uint32_t> maxWorker{0};
};

TEST(ChunkPipeline, EveryChunkInOrderWithBoundedSlotsForAnyWorkerCount) {
  for (std::uint32_t workers : {1u, 2u, 3u, 8u, 50u}) {
    const ChunkPipeline pipeline(workers);
    EXPECT_EQ(pipeline.workers(), workers > 8 ? 8u : workers);
    for (std::uint32_t count : {0u, 1u, 2u, 17u, 60u}) {
      Probe probe(pipeline);
      EXPECT_TRUE(pipeline.run(count, probe.steps())) << workers << " workers, " << count << " chunks";
      EXPECT_EQ(probe.reads, count);
      EXPECT_EQ(probe.writes, count);
      EXPECT_LT(probe.maxWorker.load(), pipeline.workers());
    }
  }
  EXPECT_EQ(ChunkPipeline(0).workers(), 1u);
}

TEST(ChunkPipeline, AFailedReadOrWriteStopsTheRunEarly) {
  const ChunkPipeline pipeline(3);
  Probe reading(pipeline);
  EXPECT_FALSE(pipeline.run(40, reading.steps(9)));
  EXPECT_LE(reading.writes, 9u);  // nothing past the failed chunk
  EXPECT_EQ(reading.reads, 10u);

  Probe writing(pipeline);
  EXPECT_FALSE(pipeline.run(40, writing.steps(~0u, 5)));
  EXPECT_EQ(writing.writes, 6u);
  EXPECT_LE(writing.reads, 6u + pipeline.slots());  // read ahead at most one slot round
}

TEST(ChunkPipeline, AWorkersExceptionIsThrownAtItsChunksTurn) {
  const ChunkPipeline pipeline(2);
  Probe probe(pipeline);
  EXPECT_THROW(pipeline.run(30, probe.steps(~0u, ~0u, 12)), std::runtime_error);
  EXPECT_EQ(probe.writes, 12u);  // every chunk before it was written, none after
}

}  // namespace
}  // namespace qs
