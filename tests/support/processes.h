#pragma once
#include <functional>
#include <vector>

namespace qs::test {

// Runs work(0) .. work(count − 1) at once, each in its own process (fork) or, where there
// is no fork (Windows), each on its own thread, and returns what each returned. The
// processes start together, so that they meet in whatever the work locks.
std::vector<bool> RunTogether(int count, const std::function<bool(int)>& work);

// Whether RunTogether uses processes: only then does it test locks between programs.
bool RunsInProcesses();

}  // namespace qs::test
