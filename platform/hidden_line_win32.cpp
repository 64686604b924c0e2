#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/hidden_line.h"

namespace qs::platform {
namespace {

template <typename Text>
void Wipe(Text& text) {
  text.resize(text.capacity());
  SecureZeroMemory(text.data(), text.size() * sizeof(text[0]));
  text.clear();
}

// Appends the characters without leaving a copy of the line in a released block: the text
// grows into a new block by hand and the old one is wiped first.
template <typename Text, typename Char>
void Append(Text& text, const Char* p, std::size_t n) {
  if (text.size() + n > text.capacity()) {
    Text larger;
    larger.reserve((text.size() + n) * 2 + 64);
    larger.assign(text);
    Wipe(text);
    text.swap(larger);
  }
  text.append(p, n);
}

// Echo off from construction to destruction, on a console.
class EchoOff {
 public:
  explicit EchoOff(HANDLE input) : input_(input) {
    console_ = GetConsoleMode(input_, &saved_) != 0;
    if (!console_) return;
    const DWORD quiet =
        (saved_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT;
    changed_ = SetConsoleMode(input_, quiet) != 0;
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;
  ~EchoOff() {
    if (!changed_) return;
    SetConsoleMode(input_, saved_);
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  bool console() const { return console_; }

 private:
  HANDLE input_;
  DWORD saved_ = 0;
  bool console_ = false;
  bool changed_ = false;
};

// Ctrl-C ends a console read with nothing read, and the system calls the handler that sets
// the flag on a thread of its own, maybe only after the read returned: wait for it a moment.
bool InterruptArrives() {
  for (int i = 0; i < 20 && !InterruptRequested(); ++i) Sleep(10);
  return InterruptRequested();
}

// From the console: wide characters up to the line end, converted to UTF-8 at the end.
HiddenLine ReadConsoleLine(HANDLE input, std::string& line) {
  std::wstring wide;
  wchar_t piece[128];
  HiddenLine result = HiddenLine::kRead;
  for (;;) {
    if (InterruptRequested()) {
      result = HiddenLine::kInterrupted;
      break;
    }
    DWORD got = 0;
    if (!ReadConsoleW(input, piece, static_cast<DWORD>(std::size(piece)), &got, nullptr) || got == 0) {
      result = InterruptArrives() ? HiddenLine::kInterrupted : HiddenLine::kEnd;
      break;
    }
    Append(wide, piece, got);
    if (wide.back() == L'\n') break;
  }
  SecureZeroMemory(piece, sizeof(piece));
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
  // Ctrl-Z at the start of a line is the console's end of input.
  if (result == HiddenLine::kRead && !wide.empty() && wide.front() == L'\x1a') result = HiddenLine::kEnd;
  if (result == HiddenLine::kRead && !wide.empty()) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    line.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    if (n > 0) {
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), line.data(), n, nullptr,
                          nullptr);
    }
  }
  Wipe(wide);
  return result;
}

// Standard input redirected: bytes up to the line end, one at a time so that nothing after
// the line is taken.
HiddenLine ReadRedirectedLine(HANDLE input, std::string& line) {
  for (;;) {
    if (InterruptRequested()) return HiddenLine::kInterrupted;
    char c = 0;
    DWORD got = 0;
    if (!ReadFile(input, &c, 1, &got, nullptr) || got == 0) {
      return line.empty() ? HiddenLine::kEnd : HiddenLine::kRead;
    }
    if (c == '\n') break;
    Append(line, &c, 1);
    SecureZeroMemory(&c, sizeof(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return HiddenLine::kRead;
}

}  // namespace

HiddenLine ReadHiddenLine(std::string& line) {
  Wipe(line);
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const EchoOff echoOff(input);
  const HiddenLine result =
      echoOff.console() ? ReadConsoleLine(input, line) : ReadRedirectedLine(input, line);
  if (result != HiddenLine::kRead) Wipe(line);
  return result;
}

}  // namespace qs::platform
