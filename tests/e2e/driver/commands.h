#pragma once
// The driver's command language, one command a line, one reply line each:
//   start <command line>      start the program under test -> "started" | "error start <code>"
//   shell <verb>|- <file>     open the file through its association, with that verb or the
//                             default one (-), as Explorer does -> "started" | "error shell <code>"
//   shellclass <class> <verb> <file>  the same with a verb of that file class ("*": every
//                             file's menu)
//   wait <ms> <title>         wait for an enabled dialog, making it current -> "dialog <title>"
//                             | "no window appeared"
//   waitbox <ms> <title>      the same for a message box only -> "box <title>" | ...
//   waitwith <ms> <id> <title>  the same for a dialog holding that control -> "dialog <title>" | ...
//   gone <ms>                 wait until the current dialog has gone -> "gone" | "still open"
//   text [id]                 a control's text, the message box text by default -> "text <text>"
//   window                    -> "owner=none|<title> topmost=yes|no"
//   fits <id>                 whether an edit control's whole text shows -> "fits yes|no
//                             <text's left..end> in <rectangle's left..right>"
//   labelfits <id>            whether a check box's label shows whole and the box lies clear
//                             of the others -> "labelfits yes|no <label> in <control>"
//   answer yes|no|ok|cancel   press that button and wait until the dialog is gone -> "ok"
//   click <id>                WM_COMMAND from a control -> "ok"
//   press <id>                a click on a check box or radio button itself (its mark changes)
//   enabled <id>              -> "enabled yes|no"
//   checked <id>              -> "checked yes|no"
//   settext <id> <text>       -> "ok"
//   filename <name>           answer a common open/save dialog -> "ok"
//   folder <path>             show that folder in a common open/save dialog -> "ok"
//   mouse <count>             mouse-move messages to the dialog -> "ok"
//   exit <ms>                 wait for the program to end -> "exit <code>" | "running"
//   kill                      end the program (exit code 255) -> "ok"
// Failures answer "error <what>". Ids are decimal or 0x-hexadecimal. Line breaks in texts are
// shown as "\n".
#include <windows.h>

#include <string>

#include "tests/e2e/driver/dialogs.h"
#include "tests/e2e/driver/started_program.h"

namespace qs::e2e {

class Session {
 public:
  std::wstring run(const std::wstring& line);

 private:
  std::wstring wait(const std::wstring& args, DialogFilter filter);
  std::wstring answer(const std::wstring& button);

  StartedProgram program_;
  HWND dialog_ = nullptr;
};

}  // namespace qs::e2e
