# The driver against e2e_probe.exe: every kind of window operation later cases rely on.

probe=$(windows_path "$E2E_BIN/tests/e2e/driver/e2e_probe.exe")

case_controls_mouse_moves_owned_box_and_save_dialog() {
  driver_start
  drv "start \"$probe\"" started
  expect_dialog Probe
  drv "settext 1001 Grüße, räksmörgås" ok
  drv "text 1001" "text Grüße, räksmörgås"
  drv "mouse 25" ok
  drv "click 1002" ok
  expect_dialog "Probe result"
  drv text
  # The real pointer may add a move of its own when the dialog appears under it.
  [[ $reply =~ ^"text Grüße, räksmörgås / "([0-9]+)" moves"$ ]] && ((BASH_REMATCH[1] >= 25)) ||
    fail "unexpected report: $reply"
  drv window "owner=Probe topmost=no"
  drv "answer ok" ok
  drv "wait 1000 Probe" "dialog Probe"
  drv "answer ok" ok
  expect_dialog "Probe save"
  drv 'filename C:\sparad fil.txt' ok
  expect_dialog "Probe result" 'C:\sparad fil.txt'
  drv "answer ok" ok
  expect_exit 0
}

case_absent_window_and_running_program_are_reported() {
  driver_start
  drv "wait 300 Probe" "no window appeared"
  drv "text" "error no dialog"
  drv "start \"$probe\"" started
  expect_dialog Probe
  drv "exit 100" running
  drv "kill" ok
  drv "exit 1000" "exit 255"
  expect_no_dialog Probe 300
}
