#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/console.h"
#include "platform/hidden_line.h"

namespace qs::platform {
namespace {

// The whole block, also what an earlier, longer content left past the end.
void Wipe(std::string& text) {
  text.resize(text.capacity());
  explicit_bzero(text.data(), text.size());
  text.clear();
}

// Appends c without leaving a copy of the line in a released block: the string grows into
// a new block by hand and the old one is wiped first.
void Append(std::string& line, char c) {
  if (line.size() == line.capacity()) {
    std::string larger;
    larger.reserve(line.capacity() * 2 + 64);
    larger.assign(line);
    Wipe(line);
    line.swap(larger);
  }
  line.push_back(c);
}

// Echo off from construction to destruction, when fd is a terminal.
class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &saved_) != 0) return;
    termios quiet = saved_;
    // ECHONL too: the newline goes to standard error instead, after the mode is back.
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    quiet.c_lflag |= ICANON;
    // TCSANOW keeps what was typed ahead: the line may already be waiting.
    changed_ = tcsetattr(fd_, TCSANOW, &quiet) == 0;
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;
  ~EchoOff() {
    if (!changed_) return;
    while (tcsetattr(fd_, TCSANOW, &saved_) != 0 && errno == EINTR) {
    }
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  int fd_;
  termios saved_ = {};
  bool changed_ = false;
};

}  // namespace

HiddenLine ReadHiddenLine(std::string& line) {
  Wipe(line);
  const EchoOff echoOff(STDIN_FILENO);
  // Byte by byte, so that nothing after the line is taken from standard input.
  for (;;) {
    if (InterruptRequested()) {
      Wipe(line);
      return HiddenLine::kInterrupted;
    }
    char c = 0;
    const ssize_t got = ::read(STDIN_FILENO, &c, 1);
    if (got < 0 && errno == EINTR) continue;  // Ctrl-C, when caught, shows in the flag
    if (got <= 0) {
      if (!line.empty()) return HiddenLine::kRead;  // a last line without its line end
      return HiddenLine::kEnd;
    }
    if (c == '\n') break;
    Append(line, c);
    explicit_bzero(&c, sizeof(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return HiddenLine::kRead;
}

}  // namespace qs::platform
