#include "tests/e2e/driver/commands.h"

#include <cwchar>

#include "tests/e2e/driver/dialogs.h"

namespace qs::e2e {
namespace {

constexpr DWORD kCloseTimeout = 5000;

// Splits "word rest" at the first space; rest keeps every further space.
std::pair<std::wstring, std::wstring> Split(const std::wstring& line) {
  const std::size_t space = line.find(L' ');
  if (space == std::wstring::npos) return {line, L""};
  return {line.substr(0, space), line.substr(space + 1)};
}

bool ParseNumber(const std::wstring& text, unsigned long& value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  value = std::wcstoul(text.c_str(), &end, 0);
  return *end == L'\0';
}

std::wstring OneLine(std::wstring text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    out += c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, c);
  }
  return out;
}

int ButtonId(const std::wstring& name) {
  if (name == L"yes") return IDYES;
  if (name == L"no") return IDNO;
  if (name == L"ok") return IDOK;
  if (name == L"cancel") return IDCANCEL;
  return 0;
}

}  // namespace

std::wstring Session::run(const std::wstring& line) {
  const auto [word, rest] = Split(line);
  unsigned long number = 0;
  if (word == L"start") {
    dialog_ = nullptr;
    const auto error = program_.start(rest);
    return error ? L"error start " + std::to_wstring(*error) : L"started";
  }
  if (word == L"shell" || word == L"shellclass") {
    dialog_ = nullptr;
    const auto [fileClass, verbAndFile] = word == L"shell" ? std::pair{std::wstring(), rest} : Split(rest);
    const auto [verb, file] = Split(verbAndFile);
    const auto error = program_.open(verb == L"-" ? L"" : verb, file, fileClass);
    return error ? L"error shell " + std::to_wstring(*error) : L"started";
  }
  if (word == L"wait") return wait(rest, {});
  if (word == L"waitbox") return wait(rest, {true, 0});
  if (word == L"waitwith") {
    const auto [time, idAndTitle] = Split(rest);
    const auto [id, title] = Split(idAndTitle);
    if (!ParseNumber(id, number)) return L"error bad id";
    return wait(time + L" " + title, {false, static_cast<int>(number)});
  }
  if (word == L"exit") {
    if (!ParseNumber(rest, number)) return L"error exit needs a time in ms";
    const auto code = program_.waitForExit(number);
    return code ? L"exit " + std::to_wstring(*code) : L"running";
  }
  if (word == L"kill") {
    program_.kill();
    return L"ok";
  }
  if (word == L"gone") {
    if (!ParseNumber(rest, number)) return L"error gone needs a time in ms";
    if (dialog_ == nullptr) return L"error no dialog";
    return WaitUntilGone(dialog_, number) ? L"gone" : L"still open";
  }
  if (dialog_ == nullptr || !IsWindow(dialog_)) return L"error no dialog";
  if (word == L"text") {
    if (rest.empty())
      number = kMessageBoxText;
    else if (!ParseNumber(rest, number))
      return L"error bad id";
    return L"text " + OneLine(ControlText(dialog_, static_cast<int>(number)));
  }
  if (word == L"window") return Placement(dialog_);
  if (word == L"fits") {
    if (!ParseNumber(rest, number)) return L"error bad id";
    return L"fits " + TextFits(dialog_, static_cast<int>(number));
  }
  if (word == L"labelfits") {
    if (!ParseNumber(rest, number)) return L"error bad id";
    return L"labelfits " + LabelFits(dialog_, static_cast<int>(number));
  }
  if (word == L"answer") return answer(rest);
  if (word == L"click") {
    if (!ParseNumber(rest, number)) return L"error bad id";
    return Command(dialog_, static_cast<int>(number)) ? L"ok" : L"error click";
  }
  if (word == L"press") {
    if (!ParseNumber(rest, number)) return L"error bad id";
    return Press(dialog_, static_cast<int>(number)) ? L"ok" : L"error press";
  }
  if (word == L"enabled" || word == L"checked") {
    if (!ParseNumber(rest, number)) return L"error bad id";
    const HWND control = GetDlgItem(dialog_, static_cast<int>(number));
    if (control == nullptr) return L"error no control";
    const bool on = word == L"enabled" ? IsWindowEnabled(control) != FALSE
                                       : SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return word + (on ? L" yes" : L" no");
  }
  if (word == L"settext") {
    const auto [id, text] = Split(rest);
    if (!ParseNumber(id, number)) return L"error bad id";
    return SetControlText(dialog_, static_cast<int>(number), text) ? L"ok" : L"error settext";
  }
  if (word == L"filename") {
    if (!AnswerFileDialog(dialog_, rest)) return L"error filename";
    return WaitUntilGone(dialog_, kCloseTimeout) ? L"ok" : L"error still open";
  }
  if (word == L"folder") return OpenFolderInFileDialog(dialog_, rest) ? L"ok" : L"error folder";
  if (word == L"mouse") {
    if (!ParseNumber(rest, number)) return L"error bad count";
    MoveMouse(dialog_, static_cast<int>(number));
    return L"ok";
  }
  return L"error unknown command " + word;
}

std::wstring Session::wait(const std::wstring& args, DialogFilter filter) {
  const auto [time, title] = Split(args);
  unsigned long milliseconds = 0;
  if (!ParseNumber(time, milliseconds)) return L"error wait needs a time in ms";
  dialog_ = WaitForDialog(title, milliseconds, filter);
  if (dialog_ == nullptr) return L"no window appeared";
  return (filter.messageBoxOnly ? L"box " : L"dialog ") + title;
}

std::wstring Session::answer(const std::wstring& button) {
  const int id = ButtonId(button);
  if (id == 0) return L"error unknown button " + button;
  if (!Command(dialog_, id)) return L"error answer";
  return WaitUntilGone(dialog_, kCloseTimeout) ? L"ok" : L"error still open";
}

}  // namespace qs::e2e
