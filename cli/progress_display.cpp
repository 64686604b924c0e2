#include "cli/progress_display.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <ostream>
#include <thread>

#include "cli/progress_text.h"
#include "platform/console.h"

namespace qs::cli {

bool ProgressDisplay::run(const ProgressSource& source, const std::function<bool()>& work) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  std::mutex mutex;
  std::condition_variable wake;
  bool done = false;
  std::atomic<bool> interrupted{false};

  std::thread watcher([&] {
    unsigned tick = 0;
    std::unique_lock<std::mutex> lock(mutex);
    while (!wake.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) {
      if (platform::InterruptRequested() && !interrupted.exchange(true) && source.cancel) source.cancel();
      if (!draw_) continue;
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      const std::string line =
          source.fraction
              ? ProgressLine(source.fraction(), source.bytesDone ? source.bytesDone() : 0, seconds)
              : SpinnerLine(tick++, seconds);
      io_.err << '\r' << line << "   " << std::flush;
    }
  });
  // The watcher is stopped whatever work does; an exception goes on to the caller after.
  bool result = false;
  std::exception_ptr failure;
  try {
    result = work();
  } catch (...) {
    failure = std::current_exception();
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  wake.notify_one();
  watcher.join();
  if (draw_) io_.err << '\r' << std::string(60, ' ') << '\r' << std::flush;
  interrupted_ = interrupted || platform::InterruptRequested();
  if (failure) std::rethrow_exception(failure);
  return result;
}

}  // namespace qs::cli
