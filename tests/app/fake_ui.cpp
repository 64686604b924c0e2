#include "tests/app/fake_ui.h"

#include <gtest/gtest.h>

namespace qs::test {
namespace {

std::string OwnerTag(const ui::View* owner) {
  const auto* view = dynamic_cast<const FakeView*>(owner);
  if (view == nullptr) return "@-";
  std::string tag = "@";
  return tag.append(std::to_string(view->resource()));
}

// A question asks, and a box that asks has a question or warning icon.
std::string BoxKind(ui::Buttons buttons, ui::Icon icon) {
  const bool asks = buttons == ui::Buttons::kYesNo;
  if (asks && icon == ui::Icon::kQuestion) return "ask";
  if (asks && icon == ui::Icon::kWarning) return "warn ask";
  if (!asks && icon == ui::Icon::kError) return "error";
  if (!asks && icon == ui::Icon::kWarning) return "warn";
  if (!asks && icon == ui::Icon::kInformation) return "info";
  ADD_FAILURE() << "a message box's icon does not fit its buttons";
  return "misfit";
}

}  // namespace

std::string FakeView::text(int control) const { return get(control).text; }
void FakeView::setText(int control, const std::string& text) { get(control).text = text; }
bool FakeView::isEnabled(int control) const { return get(control).enabled; }
void FakeView::enable(int control, bool on) { get(control).enabled = on; }
bool FakeView::isChecked(int control) const { return get(control).checked; }
void FakeView::check(int control, bool on) { get(control).checked = on; }
void FakeView::selectComboItem(int control, int index) { get(control).selectedItem = index; }
void FakeView::selectRow(int control, int row) { get(control).selectedRow = row; }
std::optional<int> FakeView::selectedRow(int control) const { return get(control).selectedRow; }
void FakeView::setProgressPosition(int control, int position) { get(control).position = position; }
void FakeView::setProgressMarquee(int control, bool on) { get(control).marquee = on; }

void FakeView::centreOnScreen() {
  ui_.expectUiThread("centreOnScreen");
  placement_ = "screen";
}

void FakeView::setProgramIcon() {
  ui_.expectUiThread("setProgramIcon");
  hasIcon_ = true;
}

void FakeView::acceptDroppedFiles() {
  ui_.expectUiThread("acceptDroppedFiles");
  acceptsFiles_ = true;
}

void FakeView::startTimer(unsigned milliseconds) {
  ui_.expectUiThread("startTimer");
  timer_ = milliseconds;
}

void FakeView::stopTimer() {
  ui_.expectUiThread("stopTimer");
  timer_ = 0;
}

void FakeView::addComboItem(int control, const std::string& text, int value) {
  get(control).items.emplace_back(text, value);
}

std::optional<int> FakeView::selectedComboValue(int control) const {
  const FakeControl& c = get(control);
  if (!c.selectedItem || *c.selectedItem < 0 || static_cast<std::size_t>(*c.selectedItem) >= c.items.size()) {
    return std::nullopt;
  }
  return c.items[static_cast<std::size_t>(*c.selectedItem)].second;
}

void FakeView::setColumns(int control, const std::vector<ui::Column>& columns,
                          const std::vector<int>& icons) {
  get(control).columns = columns;
  get(control).icons = icons;
}

void FakeView::clearRows(int control) {
  get(control).rows.clear();
  get(control).selectedRow.reset();
}

void FakeView::addRow(int control, const std::vector<std::string>& cells, int icon) {
  FakeControl& c = get(control);
  EXPECT_EQ(cells.size(), c.columns.size()) << "row of list " << control;
  c.rows.push_back(FakeRow{cells, icon});
  if (ui_.logsRows()) ui_.record("row@" + std::to_string(resource_) + ": " + cells.front());
}

void FakeView::setProgressRange(int control, int low, int high) {
  get(control).low = low;
  get(control).high = high;
}

void FakeView::centreOn(const View& other) {
  ui_.expectUiThread("centreOn");
  placement_ = "centred on " + std::to_string(dynamic_cast<const FakeView&>(other).resource());
}

void FakeView::endDialog(int result) {
  ui_.expectUiThread("endDialog");
  EXPECT_FALSE(ended_) << "dialog " << resource_ << " ended twice";
  ended_ = true;
  result_ = result;
  ui_.record("end " + std::to_string(resource_) + ": " + std::to_string(result));
}

void FakeView::click(int control) {
  ASSERT_TRUE(get(control).enabled) << "control " << control << " of dialog " << resource_ << " is disabled";
  controller_.onCommand(*this, control);
}

void FakeView::clickCheckBox(int control) {
  check(control, !isChecked(control));
  click(control);
}

void FakeView::clickRadio(int control, const std::vector<int>& group) {
  for (int id : group) check(id, id == control);
  click(control);
}

void FakeView::type(int control, const std::string& text) {
  ASSERT_TRUE(get(control).enabled) << "control " << control << " of dialog " << resource_ << " is disabled";
  setText(control, text);
}

void FakeView::chooseItem(int control, int index) {
  ASSERT_TRUE(get(control).enabled) << "control " << control << " of dialog " << resource_ << " is disabled";
  selectComboItem(control, index);
}

void FakeView::chooseRow(int control, std::optional<int> row) {
  get(control).selectedRow = row;
  controller_.onSelectionChanged(*this, control);
}

void FakeView::mouseMoves(int count) {
  for (int i = 0; i < count; ++i, ++nextMove_) {
    mouseMove(static_cast<std::uint16_t>(1 + nextMove_ % 400),
              static_cast<std::uint16_t>(1 + nextMove_ / 400));
  }
}

void FakeView::runWorkers() { ui_.runWorkers(); }

FakeControl& FakeView::get(int control) const {
  ui_.expectUiThread("a control");
  return controls_[control];
}

FakeUi::~FakeUi() {
  for (const auto& [resource, scripts] : scripts_) {
    EXPECT_TRUE(scripts.empty()) << "dialog " << resource << " did not open as often as scripted";
  }
  EXPECT_TRUE(answers_.empty()) << answers_.size() << " answers left";
  EXPECT_TRUE(files_.empty()) << files_.size() << " file names left";
}

FakeView& FakeUi::view(int resource) {
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if ((*it)->resource() == resource) return **it;
  }
  throw std::logic_error("dialog " + std::to_string(resource) + " is not open");
}

std::vector<std::string> FakeUi::logOf(const std::string& prefix) const {
  std::vector<std::string> entries;
  for (const std::string& entry : log_) {
    if (entry.rfind(prefix, 0) == 0) entries.push_back(entry);
  }
  return entries;
}

void FakeUi::expectUiThread(const char* what) const { EXPECT_FALSE(inWorker_) << "a worker used " << what; }

int FakeUi::runDialog(int resource, ui::Controller& controller, ui::View* parent) {
  expectUiThread("runDialog");
  log_.push_back("dialog " + std::to_string(resource) + OwnerTag(parent));
  FakeView view(*this, resource, controller);
  open_.push_back(&view);
  controller.onInit(view);
  auto scripts = scripts_.find(resource);
  if (scripts == scripts_.end() || scripts->second.empty()) {
    ADD_FAILURE() << "dialog " << resource << " opened without a script";
  } else {
    Script script = std::move(scripts->second.front());
    scripts->second.pop_front();
    if (!view.ended()) script(view);
  }
  if (!view.ended()) runWorkers();
  open_.pop_back();
  // A window that has gone drops what was posted to it.
  std::erase_if(posted_, [&view](const auto& entry) { return entry.first == &view; });
  if (!view.ended()) {
    ADD_FAILURE() << "dialog " << resource << " was left open";
    return -1;
  }
  return view.result();
}

ui::Answer FakeUi::messageBox(ui::View* owner, const std::string& text, ui::Buttons buttons, ui::Icon icon) {
  expectUiThread("messageBox");
  log_.push_back(BoxKind(buttons, icon) + OwnerTag(owner) + ": " + text);
  if (buttons == ui::Buttons::kOk) return ui::Answer::kOk;
  if (answers_.empty()) {
    ADD_FAILURE() << "no answer queued for: " << text;
    return ui::Answer::kNo;
  }
  const ui::Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void FakeUi::chooseFile(std::optional<std::string> path) {
  files_.emplace_back();
  if (path) files_.back().push_back(std::move(*path));
}

void FakeUi::chooseFiles(std::vector<std::string> paths) {
  EXPECT_FALSE(paths.empty()) << "a choice of no files";
  files_.push_back(std::move(paths));
}

std::optional<std::string> FakeUi::openFile(ui::View* owner, const ui::FileDialog& dialog) {
  return oneFileDialog("open", owner, dialog);
}

std::optional<std::vector<std::string>> FakeUi::openFiles(ui::View* owner, const ui::FileDialog& dialog) {
  return fileDialog("open several", owner, dialog);
}

std::optional<std::string> FakeUi::saveFile(ui::View* owner, const ui::FileDialog& dialog) {
  return oneFileDialog("save", owner, dialog);
}

std::optional<std::string> FakeUi::oneFileDialog(const char* kind, ui::View* owner,
                                                 const ui::FileDialog& dialog) {
  const std::optional<std::vector<std::string>> paths = fileDialog(kind, owner, dialog);
  if (!paths) return std::nullopt;
  EXPECT_EQ(paths->size(), 1u) << "several names for a dialog that takes one: " << dialog.title;
  return paths->front();
}

std::optional<std::vector<std::string>> FakeUi::fileDialog(const char* kind, ui::View* owner,
                                                           const ui::FileDialog& dialog) {
  expectUiThread("a file dialog");
  std::string entry = kind + OwnerTag(owner) + ": " + dialog.title + " |";
  for (const ui::FileFilter& filter : dialog.filters)
    entry += " " + filter.description + "|" + filter.pattern;
  entry += " | " + dialog.defaultExtension + " | " + dialog.suggestedName;
  log_.push_back(entry);
  if (files_.empty()) {
    ADD_FAILURE() << "no file name queued for: " << dialog.title;
    return std::nullopt;
  }
  std::vector<std::string> paths = std::move(files_.front());
  files_.pop_front();
  if (paths.empty()) return std::nullopt;
  return paths;
}

void FakeUi::post(ui::View& dialog, std::function<void()> task) {
  posted_.emplace_back(&dynamic_cast<FakeView&>(dialog), std::move(task));
}

void FakeUi::runWorkers() {
  while (!workers_.empty() || !posted_.empty()) {
    if (!workers_.empty()) {
      std::function<void()> work = std::move(workers_.front());
      workers_.pop_front();
      inWorker_ = true;
      work();
      inWorker_ = false;
      continue;
    }
    auto [view, task] = std::move(posted_.front());
    posted_.pop_front();
    if (!view->ended()) task();
  }
}

}  // namespace qs::test
