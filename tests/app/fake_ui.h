#pragma once
// A scripted stand-in for the window system. Tests queue answers for message boxes and file
// dialogs and a script for every dialog that will open; each script acts on the open
// dialog (click, type, move the mouse, tick the timer, close) and may check its controls.
// Everything the controllers show goes into one log, in order:
//   "error@101: text"     OK message box with the error icon, owned by dialog 101 ("@-": no
//                         owner); "warn@..." and "info@..." with the warning and information icon
//   "ask@101: text"       Yes/No question;  "warn ask@101: text"  one with the warning icon
//   "open@101: title | filter|pattern|... | ext | name"   and "save@..." likewise;
//                         "open several@..." one in which several files can be chosen
//   "dialog 113@101"      a dialog opens with parent 101 ("@-": none);  "end 113: 1" it ends
//   "pause 1000"          a worker waits
//   "row@108: Acme"       a list row is added (its first cell), only after logRows()
// Workers run on the test's thread when the script calls runWorkers (or once the script is
// done); what they post runs right after them.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/ui.h"

namespace qs::test {

class FakeUi;

struct FakeRow {
  std::vector<std::string> cells;
  int icon = -1;
};

struct FakeControl {
  std::string text;
  bool enabled = true;
  bool checked = false;
  std::vector<std::pair<std::string, int>> items;  // combo box
  std::optional<int> selectedItem;
  std::vector<ui::Column> columns;  // list view
  std::vector<int> icons;
  std::vector<FakeRow> rows;
  std::optional<int> selectedRow;
  int low = 0;  // progress bar
  int high = 100;
  int position = 0;
  bool marquee = false;
};

class FakeView : public ui::View {
 public:
  FakeView(FakeUi& ui, int resource, ui::Controller& controller)
      : ui_(ui), resource_(resource), controller_(controller) {}

  // ui::View. Each fails the test when a worker calls it: workers post to the dialog instead.
  std::string text(int control) const override;
  void setText(int control, const std::string& text) override;
  void enable(int control, bool on) override;
  bool isChecked(int control) const override;
  void check(int control, bool on) override;
  void addComboItem(int control, const std::string& text, int value) override;
  void selectComboItem(int control, int index) override;
  std::optional<int> selectedComboValue(int control) const override;
  void setColumns(int control, const std::vector<ui::Column>& columns,
                  const std::vector<int>& icons) override;
  void clearRows(int control) override;
  void addRow(int control, const std::vector<std::string>& cells, int icon) override;
  void selectRow(int control, int row) override;
  std::optional<int> selectedRow(int control) const override;
  void setProgressRange(int control, int low, int high) override;
  void setProgressPosition(int control, int position) override;
  void setProgressMarquee(int control, bool on) override;
  void centreOnScreen() override;
  void centreOn(const View& other) override;
  void setProgramIcon() override;
  void acceptDroppedFiles() override;
  void startTimer(unsigned milliseconds) override;
  void stopTimer() override;
  void endDialog(int result) override;

  // What a user does. Each checks that the control is enabled, as a real click would.
  void click(int control);
  // Turns the check mark over, then clicks, as an automatic check box does.
  void clickCheckBox(int control);
  // Checks one radio button of the group, unchecks the others, then clicks it.
  void clickRadio(int control, const std::vector<int>& group);
  void type(int control, const std::string& text);
  void chooseItem(int control, int index);
  void chooseRow(int control, std::optional<int> row);
  void mouseMove(std::uint16_t x, std::uint16_t y) { controller_.onMouseMove(*this, x, y); }
  // count moves, each to a position other than the one before.
  void mouseMoves(int count);
  void tick() { controller_.onTimer(*this); }
  void close() { controller_.onClose(*this); }
  void pressEscape() { controller_.onEscape(*this); }
  void drop(const std::vector<std::string>& paths) { controller_.onFilesDropped(*this, paths); }
  void runWorkers();

  // What the test looks at.
  bool isEnabled(int control) const;
  const FakeControl& control(int id) const { return get(id); }
  int resource() const { return resource_; }
  bool ended() const { return ended_; }
  int result() const { return result_; }
  const std::string& placement() const { return placement_; }
  bool hasIcon() const { return hasIcon_; }
  bool acceptsFiles() const { return acceptsFiles_; }
  unsigned timer() const { return timer_; }

 private:
  // The control, after checking that the caller is not a worker.
  FakeControl& get(int control) const;

  FakeUi& ui_;
  int resource_;
  ui::Controller& controller_;
  mutable std::map<int, FakeControl> controls_;
  bool ended_ = false;
  int result_ = 0;
  std::string placement_ = "none";
  bool hasIcon_ = false;
  bool acceptsFiles_ = false;
  unsigned timer_ = 0;
  int nextMove_ = 0;
};

class FakeUi : public ui::Ui {
 public:
  using Script = std::function<void(FakeView&)>;

  ~FakeUi() override;

  // The script for the next opening of this dialog; openings without one fail the test.
  void onDialog(int resource, Script script) { scripts_[resource].push_back(std::move(script)); }
  // The answer to the next Yes/No question (OK boxes need none).
  void answer(ui::Answer answer) { answers_.push_back(answer); }
  // The name the next file dialog gives, or nullopt for a cancel.
  void chooseFile(std::optional<std::string> path);
  // The names the next file dialog gives; more than one only an open dialog for several takes.
  void chooseFiles(std::vector<std::string> paths);

  // From now on, rows added to lists go into the log too.
  void logRows() { logRows_ = true; }
  bool logsRows() const { return logRows_; }

  // The innermost open dialog of that resource.
  FakeView& view(int resource);
  const std::vector<std::string>& log() const { return log_; }
  void clearLog() { log_.clear(); }
  // Entries of the log that start with the prefix.
  std::vector<std::string> logOf(const std::string& prefix) const;

  // ui::Ui
  int runDialog(int resource, ui::Controller& controller, ui::View* parent) override;
  ui::Answer messageBox(ui::View* owner, const std::string& text, ui::Buttons buttons,
                        ui::Icon icon) override;
  std::optional<std::string> openFile(ui::View* owner, const ui::FileDialog& dialog) override;
  std::optional<std::vector<std::string>> openFiles(ui::View* owner, const ui::FileDialog& dialog) override;
  std::optional<std::string> saveFile(ui::View* owner, const ui::FileDialog& dialog) override;
  void startWorker(std::function<void()> work) override { workers_.push_back(std::move(work)); }
  void pause(unsigned milliseconds) override { log_.push_back("pause " + std::to_string(milliseconds)); }
  void post(ui::View& dialog, std::function<void()> task) override;

  void runWorkers();
  void record(std::string entry) { log_.push_back(std::move(entry)); }
  // Fails the test when called while a worker runs.
  void expectUiThread(const char* what) const;

 private:
  std::optional<std::vector<std::string>> fileDialog(const char* kind, ui::View* owner,
                                                     const ui::FileDialog& dialog);
  // A dialog that gives one name at most.
  std::optional<std::string> oneFileDialog(const char* kind, ui::View* owner, const ui::FileDialog& dialog);

  std::map<int, std::deque<Script>> scripts_;
  std::deque<ui::Answer> answers_;
  std::deque<std::vector<std::string>> files_;  // none: a cancel
  std::deque<std::function<void()>> workers_;
  std::deque<std::pair<FakeView*, std::function<void()>>> posted_;
  std::vector<FakeView*> open_;
  std::vector<std::string> log_;
  bool inWorker_ = false;
  bool logRows_ = false;
};

}  // namespace qs::test
