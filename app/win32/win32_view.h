#pragma once
#include <windows.h>

#include "app/ui.h"

namespace qs::win32 {

// The port's view of one real dialog window.
class Win32View : public ui::View {
 public:
  explicit Win32View(HINSTANCE instance) : instance_(instance) {}

  void attach(HWND window) { window_ = window; }
  HWND window() const { return window_; }

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

 private:
  HWND item(int control) const { return GetDlgItem(window_, control); }
  void moveTo(int left, int top);

  HINSTANCE instance_;
  HWND window_ = nullptr;
};

}  // namespace qs::win32
