#include "formats/chunk_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace qs {
namespace {

// Chunks that pass through slots; every step checks what the pipeline promises.
struct Probe {
  explicit Probe(const ChunkPipeline& pipeline)
      : batch(pipeline.batch()), slots(pipeline.slots()), busy(pipeline.slots()) {}

  ChunkPipeline::Steps steps(std::uint32_t failReadAt = ~0u, std::uint32_t failWriteAt = ~0u,
                             std::uint32_t throwAt = ~0u) {
    return {
        .read =
            [=, this](std::uint32_t chunk, std::uint32_t slot) {
              EXPECT_EQ(chunk, reads);
              ++reads;
              EXPECT_LE(reads - writes, slots.size()) << "more chunks in flight than slots";
              if (chunk == failReadAt) {
                failure = "read " + std::to_string(chunk);
                return false;
              }
              slots[slot] = chunk;
              return true;
            },
        .work =
            [=, this](std::span<const std::uint32_t> taken, std::uint32_t worker) {
              EXPECT_GE(taken.size(), 1u);
              EXPECT_LE(taken.size(), batch);
              ++calls[taken.size() - 1];
              maxWorker = std::max(maxWorker.load(), worker);
              for (std::size_t i = 1; i < taken.size(); ++i) {
                EXPECT_EQ(slots[taken[i]], slots[taken[0]] + i) << "not consecutive chunks in order";
              }
              bool thrown = false;
              for (const std::uint32_t slot : taken) {
                EXPECT_FALSE(busy[slot].exchange(true)) << "two workers on one slot";
                // Later chunks finish first now and then, so the writer must wait for order.
                if (slots[slot] % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
                thrown = thrown || slots[slot] == throwAt;
                slots[slot] = slots[slot] * 10 + 7;
              }
              for (const std::uint32_t slot : taken) busy[slot] = false;
              if (thrown) throw std::runtime_error("worker failed");
            },
        .write =
            [=, this](std::uint32_t chunk, std::uint32_t slot) {
              EXPECT_EQ(chunk, writes);
              EXPECT_EQ(slots[slot], chunk * 10 + 7);
              ++writes;
              if (chunk != failWriteAt) return true;
              failure = "write " + std::to_string(chunk);
              return false;
            },
    };
  }

  std::uint32_t batch;
  std::vector<std::uint32_t> slots;
  std::vector<std::atomic<bool>> busy;
  std::atomic<std::uint32_t> calls[2] = {0, 0};  // with one slot, with two
  std::uint32_t reads = 0;
  std::uint32_t writes = 0;
  std::string failure;  // the last failed step, as a result code set by each step would say
  std::atomic<std::uint32_t> maxWorker{0};
};

constexpr ChunkPipeline::Batch kBatches[] = {ChunkPipeline::Batch::kSingle, ChunkPipeline::Batch::kPairs};

TEST(ChunkPipeline, EveryChunkInOrderWithBoundedSlotsForAnyWorkerCount) {
  for (const ChunkPipeline::Batch batch : kBatches) {
    for (std::uint32_t workers : {1u, 2u, 3u, 8u, 50u}) {
      const ChunkPipeline pipeline(workers, batch);
      EXPECT_EQ(pipeline.workers(), workers > 8 ? 8u : workers);
      EXPECT_EQ(pipeline.slots(), 2 * pipeline.workers() * pipeline.batch());
      for (std::uint32_t count : {0u, 1u, 2u, 3u, 17u, 60u}) {
        SCOPED_TRACE(std::to_string(pipeline.batch()) + " per call, " + std::to_string(workers) +
                     " workers, " + std::to_string(count) + " chunks");
        Probe probe(pipeline);
        EXPECT_TRUE(pipeline.run(count, probe.steps()));
        EXPECT_EQ(probe.reads, count);
        EXPECT_EQ(probe.writes, count);
        EXPECT_LT(probe.maxWorker.load(), pipeline.workers());
        EXPECT_EQ(probe.calls[0] + 2 * probe.calls[1], count);
      }
    }
  }
  EXPECT_EQ(ChunkPipeline(0).workers(), 1u);
  EXPECT_EQ(ChunkPipeline().batch(), 1u);
}

// Chunks are handed out together as they were read, so the first call always finds two.
TEST(ChunkPipeline, PairsAreTakenWheneverTwoChunksWait) {
  for (std::uint32_t workers : {1u, 2u, 4u}) {
    const ChunkPipeline pipeline(workers, ChunkPipeline::Batch::kPairs);
    for (std::uint32_t count : {2u, 3u, 31u}) {
      Probe probe(pipeline);
      EXPECT_TRUE(pipeline.run(count, probe.steps()));
      EXPECT_GE(probe.calls[1].load(), 1u) << workers << " workers, " << count << " chunks";
      // An odd count leaves at least one chunk alone.
      if (count % 2 == 1) {
        EXPECT_GE(probe.calls[0].load(), 1u) << workers << " workers, " << count << " chunks";
      }
    }
  }
}

TEST(ChunkPipeline, AFailedReadOrWriteStopsTheRunEarly) {
  for (const ChunkPipeline::Batch batch : kBatches) {
    const ChunkPipeline pipeline(3, batch);
    Probe reading(pipeline);
    EXPECT_FALSE(pipeline.run(40, reading.steps(9)));
    EXPECT_EQ(reading.writes, 9u);  // every chunk before the failed one, none after
    EXPECT_EQ(reading.reads, 10u);
    EXPECT_EQ(reading.failure, "read 9");

    Probe writing(pipeline);
    EXPECT_FALSE(pipeline.run(40, writing.steps(~0u, 5)));
    EXPECT_EQ(writing.writes, 6u);
    EXPECT_LE(writing.reads, 6u + pipeline.slots());  // read ahead at most one slot round
  }
}

// Chunk 7 is read ahead before chunk 5 is written; a plain loop would have stopped at the
// write (a full disk, or the user's cancel) and never read chunk 7, so that is the outcome.
TEST(ChunkPipeline, AnEarlierWriteFailureWinsOverALaterReadFailure) {
  for (const ChunkPipeline::Batch batch : kBatches) {
    const ChunkPipeline pipeline(3, batch);
    Probe probe(pipeline);
    EXPECT_FALSE(pipeline.run(40, probe.steps(7, 5)));
    EXPECT_EQ(probe.failure, "write 5");
    EXPECT_EQ(probe.writes, 6u);

    Probe throwing(pipeline);
    EXPECT_THROW(pipeline.run(40, throwing.steps(7, ~0u, 4)), std::runtime_error);
    EXPECT_EQ(throwing.writes, 4u);  // the exception of chunk 4 is met before the failed read
  }
}

TEST(ChunkPipeline, AWorkersExceptionIsThrownAtItsChunksTurn) {
  const ChunkPipeline pipeline(2);
  Probe probe(pipeline);
  EXPECT_THROW(pipeline.run(30, probe.steps(~0u, ~0u, 12)), std::runtime_error);
  EXPECT_EQ(probe.writes, 12u);  // every chunk before it was written, none after
}

// A call over two chunks fails as a whole: at the first one's turn, whichever of the two threw.
TEST(ChunkPipeline, AnExceptionInEitherChunkOfAPairIsThrownAtThePairsTurn) {
  for (const std::uint32_t throwAt : {0u, 1u, 12u, 13u, 28u, 29u}) {
    const ChunkPipeline pipeline(2, ChunkPipeline::Batch::kPairs);
    Probe probe(pipeline);
    EXPECT_THROW(pipeline.run(30, probe.steps(~0u, ~0u, throwAt)), std::runtime_error) << throwAt;
    EXPECT_LE(probe.writes, throwAt);
    EXPECT_GE(probe.writes + 1, throwAt) << "chunks before the pair not written";
  }
}

}  // namespace
}  // namespace qs
