#include "clean/clean_run.h"

#include "clean/command.h"
#include "clean/texts.h"

namespace qs::clean {

int RunClean(std::wstring_view commandWord, CleanHost& host, WipeFiles& files, const FillBytes& fill) {
  const Command command = ParseCommand(commandWord);
  if (command == Command::kUnknown) {
    // An installer that calls the tool wrongly must see that nothing was done.
    host.tell(texts::kBadParameter);
    return 1;
  }
  if (command == Command::kRemoveTask && !host.removeBackupTask()) host.tell(texts::kTaskNotRemoved);

  if (host.ask(texts::kKeepKeys, QuestionIcon::kQuestion)) return 0;
  if (!host.ask(texts::kConfirmOverwrite, QuestionIcon::kWarning)) return 0;

  const std::optional<std::string> folder = host.workingFolder();
  if (!folder) {
    host.tell(texts::kNoWorkingFolder);
    return 1;
  }
  const auto report = [&host](const std::string& name, FileWipe why) {
    host.tell(why == FileWipe::kSeveralNames ? texts::SeveralNames(name)
                                             : std::string(texts::kCannotDeleteAll));
  };
  switch (WipeFolder(*folder, files, fill, report)) {
    case FolderState::kLink:
      host.tell(texts::kWorkingFolderIsLink);
      return 1;
    case FolderState::kCannotList:
      host.tell(texts::kCannotDelete);
      return 1;
    case FolderState::kUsable:
      break;
  }
  return 0;
}

}  // namespace qs::clean
