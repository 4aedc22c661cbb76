#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "thumbs/cell_decode_pool.h"
#include "win32/thread_stack.h"

namespace velmora {
namespace {

std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage;
}

// Fills frames of 4 KB down to the given depth and reads them back on the way up.
std::uint64_t Deepen(int depth) {
  volatile unsigned char frame[4096];
  for (std::size_t i = 0; i < sizeof(frame); ++i) frame[i] = static_cast<unsigned char>(i * 7 + depth);
  std::uint64_t sum = depth > 0 ? Deepen(depth - 1) : 0;
  for (std::size_t i = 0; i < sizeof(frame); ++i) sum += frame[i];
  return sum;
}

// What Deepen should give, worked out without the stack.
std::uint64_t DeepenSum(int depth) {
  std::uint64_t sum = 0;
  for (int d = 0; d <= depth; ++d)
    for (std::size_t i = 0; i < 4096; ++i) sum += static_cast<unsigned char>(i * 7 + d);
  return sum;
}

// The pages given back are still the thread's: it can go on using its stack far deeper than
// it had, and what it writes there stays.
TEST(ThreadStackTest, AThreadUsesItsStackDeeplyAfterGivingItBack) {
  constexpr int kDepth = 200;  // 800 KB
  std::uint64_t sum = 0;
  std::thread([&] {
    GiveBackUnusedStack();
    sum = Deepen(kDepth);
    GiveBackUnusedStack();  // deep already: only what lies below is given back
    sum += Deepen(kDepth);
  }).join();
  EXPECT_EQ(sum, 2 * DeepenSum(kDepth));
}

// The thumbnail pass's decoding threads, started and waiting for work, hold little memory:
// under Wine a new thread's stack comes with about 1 MB already touched.
TEST(ThreadStackTest, WaitingDecodingThreadsHoldLittleMemory) {
  constexpr int kThreads = 2;
  std::mutex mutex;
  std::condition_variable started;
  int running = 0;
  const std::size_t before = PrivateBytes();
  CellDecodePool pool(kThreads, 32, 32, nullptr, nullptr, [&] {
    GiveBackUnusedStack();
    std::lock_guard<std::mutex> lock(mutex);
    ++running;
    started.notify_all();
  });
  {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(started.wait_for(lock, std::chrono::seconds(30), [&] { return running == kThreads; }));
  }
  const std::size_t after = PrivateBytes();
  EXPECT_LT(after - std::min(before, after), std::size_t{kThreads} * 256 * 1024)
      << (after - std::min(before, after)) / 1024 << " KB for " << kThreads << " threads";
}

}  // namespace
}  // namespace velmora
