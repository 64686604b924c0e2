#pragma once
#include <cstdint>
#include <functional>

#include "base/progress_hook.h"
#include "cli/io.h"

namespace qs::cli {

// What a long operation shows while it runs. fraction is null for work of unknown length
// (a spinner is drawn); bytesDone may be null. cancel is called once when the user presses
// Ctrl-C.
struct ProgressSource {
  std::function<double()> fraction;
  std::function<std::uint64_t()> bytesDone;
  std::function<void()> cancel;
};

// Runs work on the calling thread while a second thread draws the progress line on stderr
// (only on a terminal and without --quiet) and turns an interrupt into a cancel. Returns
// what work returned, or throws what it threw once the second thread has ended;
// interrupted() tells whether the user stopped it.
class ProgressDisplay {
 public:
  ProgressDisplay(Io& io, bool quiet) : io_(io), draw_(io.errorIsTerminal && !quiet) {}
  bool run(const ProgressSource& source, const std::function<bool()>& work);
  bool interrupted() const { return interrupted_; }

 private:
  Io& io_;
  bool draw_;
  bool interrupted_ = false;
};

// Runs a key generation, which tells whether it succeeded, under a spinner; Ctrl-C sets the
// hook's cancel flag. True when that happened.
inline bool RunKeyGeneration(Io& io, bool quiet, const std::function<bool(ProgressHook*)>& generate) {
  ProgressHook hook;
  ProgressDisplay display(io, quiet);
  display.run({nullptr, nullptr, [&hook] { hook.cancel = 1; }}, [&] { return generate(&hook); });
  return display.interrupted();
}

}  // namespace qs::cli
