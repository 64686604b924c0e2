#include "tests/support/processes.h"

#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qs::test {

#ifdef _WIN32
bool RunsInProcesses() { return false; }

std::vector<bool> RunTogether(int count, const std::function<bool(int)>& work) {
  std::vector<char> results(static_cast<std::size_t>(count), 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i)
    threads.emplace_back([&, i] { results[static_cast<std::size_t>(i)] = work(i); });
  for (std::thread& t : threads) t.join();
  return std::vector<bool>(results.begin(), results.end());
}
#else
bool RunsInProcesses() { return true; }

// Each child waits for one byte on a shared pipe, which the parent sends once all are
// forked, and tells its result by its exit status.
std::vector<bool> RunTogether(int count, const std::function<bool(int)>& work) {
  int start[2];
  if (::pipe(start) != 0) return std::vector<bool>(static_cast<std::size_t>(count), false);
  std::vector<pid_t> children;
  for (int i = 0; i < count; ++i) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(start[1]);
      char go = 0;
      const bool started = ::read(start[0], &go, 1) == 1;
      ::_exit(started && work(i) ? 0 : 1);
    }
    children.push_back(pid);
  }
  ::close(start[0]);
  for (int i = 0; i < count; ++i) {
    const char go = 1;
    if (::write(start[1], &go, 1) != 1) break;
  }
  ::close(start[1]);
  std::vector<bool> results;
  for (const pid_t pid : children) {
    int status = 0;
    results.push_back(pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                      WEXITSTATUS(status) == 0);
  }
  return results;
}
#endif

}  // namespace qs::test
