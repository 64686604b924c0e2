#pragma once
// The user-interface port. Controllers in app/ hold the program's dialog behaviour and see
// the window system only through these interfaces: app/win32/ implements them with real
// dialogs from the resources, tests/app/ with a scripted fake. Texts are UTF-8 here; control
// and dialog numbers are those of app/resource_ids.h.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qs::ui {

enum class Buttons : std::uint8_t { kOk, kYesNo };
// What a message box says by its icon: a failure, a warning, a question (Yes/No boxes), or
// plain information.
enum class Icon : std::uint8_t { kError, kWarning, kQuestion, kInformation };
// Closing a Yes/No box counts as No, closing an OK box as OK.
enum class Answer : std::uint8_t { kOk, kYes, kNo };

struct FileFilter {
  std::string description;  // "Signaturfil (*.signature)"
  std::string pattern;      // "*.signature"
};

// Open and save dialogs: explorer style, hidden read-only box, the current directory left
// alone; an open dialog wants an existing file, a save dialog an existing folder and asks
// before replacing a file.
struct FileDialog {
  std::string title;
  std::vector<FileFilter> filters;
  std::string defaultExtension;
  std::string suggestedName;  // what the name box starts with
};

// A list column's width is in pixels at 96 DPI, scaled to the screen's; a column grows
// when a row's text would not fit it.
struct Column {
  std::string title;
  int width = 0;
};

// One open dialog, seen through its controls.
class View {
 public:
  virtual ~View() = default;

  virtual std::string text(int control) const = 0;
  virtual void setText(int control, const std::string& text) = 0;
  virtual void enable(int control, bool on) = 0;
  virtual bool isChecked(int control) const = 0;
  virtual void check(int control, bool on) = 0;

  // Combo boxes: items carry a value; nullopt while nothing is selected.
  virtual void addComboItem(int control, const std::string& text, int value) = 0;
  virtual void selectComboItem(int control, int index) = 0;
  virtual std::optional<int> selectedComboValue(int control) const = 0;

  // List views with full-row selection. icons are icon resources for a small-icon list; a
  // row names its icon by position in that list (-1: none).
  virtual void setColumns(int control, const std::vector<Column>& columns, const std::vector<int>& icons) = 0;
  virtual void clearRows(int control) = 0;
  virtual void addRow(int control, const std::vector<std::string>& cells, int icon) = 0;
  // Selects and focuses the row.
  virtual void selectRow(int control, int row) = 0;
  virtual std::optional<int> selectedRow(int control) const = 0;

  // Progress bars. A marquee bar moves on its own and ignores range and position.
  virtual void setProgressRange(int control, int low, int high) = 0;
  virtual void setProgressPosition(int control, int position) = 0;
  virtual void setProgressMarquee(int control, bool on) = 0;

  // The dialog itself. Moving keeps the size; centring on a window keeps the dialog's left
  // and top edges on the screen.
  virtual void centreOnScreen() = 0;
  virtual void centreOn(const View& other) = 0;
  virtual void setProgramIcon() = 0;  // big and small
  virtual void acceptDroppedFiles() = 0;
  virtual void startTimer(unsigned milliseconds) = 0;
  virtual void stopTimer() = 0;
  virtual void endDialog(int result) = 0;
};

// What a dialog does; one controller per dialog resource. Every handler runs on the
// user-interface thread.
class Controller {
 public:
  virtual ~Controller() = default;

  virtual void onInit(View& view) = 0;
  virtual void onCommand(View& view, int control) = 0;
  // The window's close button.
  virtual void onClose(View& view) = 0;
  // The Escape key; a dialog that Escape should not end overrides it.
  virtual void onEscape(View& view) { onClose(view); }
  // The pointer's position inside the dialog.
  virtual void onMouseMove(View&, std::uint16_t /*x*/, std::uint16_t /*y*/) {}
  virtual void onTimer(View&) {}
  virtual void onSelectionChanged(View&, int /*control*/) {}
  // Full paths of the dropped files, in the order given.
  virtual void onFilesDropped(View&, const std::vector<std::string>& /*paths*/) {}
};

// The window system's services. Message boxes have the caption "Quillseal"; an owner of
// nullptr means none.
class Ui {
 public:
  virtual ~Ui() = default;

  // Runs the dialog resource modally and returns its result.
  virtual int runDialog(int resource, Controller& controller, View* parent) = 0;
  virtual Answer messageBox(View* owner, const std::string& text, Buttons buttons, Icon icon) = 0;
  // The chosen path, or nullopt when the user cancelled.
  virtual std::optional<std::string> openFile(View* owner, const FileDialog& dialog) = 0;
  // An open dialog in which several files can be chosen at once: their full paths (one at
  // least), or nullopt when the user cancelled.
  virtual std::optional<std::vector<std::string>> openFiles(View* owner, const FileDialog& dialog) = 0;
  virtual std::optional<std::string> saveFile(View* owner, const FileDialog& dialog) = 0;

  // Workers: a new thread runs work. A worker never touches a window: it waits with pause
  // and hands results to the user-interface thread with post, which runs task there while
  // the dialog is open. Tasks posted to one dialog run in the order posted.
  virtual void startWorker(std::function<void()> work) = 0;
  virtual void pause(unsigned milliseconds) = 0;
  virtual void post(View& dialog, std::function<void()> task) = 0;
};

}  // namespace qs::ui
