# Helpers for the end-to-end case files. A case is a function case_NAME in tests/e2e/cases/*.sh;
# it runs in a subshell with WINEPREFIX, DISPLAY, E2E_BIN (the Windows build), E2E_SHOTS,
# E2E_USER_DIR (the prefix's user folder) and E2E_CASE set, and fails by leaving it non-zero.

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine.sh"
E2E_WINE=$(wine_cmd)
E2E_WINESERVER=$(wineserver_cmd)
export E2E_WINE E2E_WINESERVER

# How long a program may take to show a dialog or to end, in ms.
E2E_TIMEOUT=${E2E_TIMEOUT:-15000}

source "$(dirname "${BASH_SOURCE[0]}")/../support/expect.sh"

# The Windows name of a Linux path (Wine maps / to Z:\).
windows_path() {
  local p=$1
  echo "Z:${p//\//\\}"
}

# driver_start [NAME=VALUE...]: starts e2e_driver.exe for this case, with the given
# environment for it and the programs it starts. It ends with the case.
driver_start() {
  coproc E2E_DRIVER { env "$@" "$E2E_WINE" "$E2E_BIN/tests/e2e/driver/e2e_driver.exe" 2>/dev/null; }
  E2E_DRIVER_IN=${E2E_DRIVER[1]}
  E2E_DRIVER_OUT=${E2E_DRIVER[0]}
  trap driver_stop EXIT
}

driver_stop() {
  [[ -n ${E2E_DRIVER_IN:-} ]] || return 0
  echo quit >&"$E2E_DRIVER_IN" 2>/dev/null
  exec {E2E_DRIVER_IN}>&-
  wait "$E2E_DRIVER_PID" 2>/dev/null
  E2E_DRIVER_IN=
}

# drv COMMAND [EXPECTED_REPLY]: sends one command; the reply is in $reply.
drv() {
  echo "$1" >&"$E2E_DRIVER_IN" || fail "driver is gone (sending '$1')"
  reply=
  IFS= read -r -t 60 reply <&"$E2E_DRIVER_OUT" || fail "no reply from the driver to '$1'"
  echo "> $1 => $reply"
  if [[ $# -ge 2 ]]; then expect_eq "$reply" "$2" "reply to '$1'"; fi
}

# A picture of the whole screen, named after the case and numbered.
e2e_shot_count=0
shot() {
  e2e_shot_count=$((e2e_shot_count + 1))
  import -window root "$E2E_SHOTS/$E2E_CASE-$e2e_shot_count.png" || echo "screenshot failed" >&2
}

# expect_dialog TITLE [TEXT]: waits for the dialog, photographs it and, for a message box,
# checks its text.
expect_dialog() {
  drv "wait $E2E_TIMEOUT $1" "dialog $1"
  shot
  if [[ $# -ge 2 ]]; then drv "text" "text $2"; fi
}

# expect_no_dialog TITLE MS: nothing with that title appears within the time.
expect_no_dialog() {
  drv "wait $2 $1" "no window appeared"
}

expect_exit() {
  drv "exit $E2E_TIMEOUT" "exit $1"
}

# The Quillseal program's own windows. The case files that use these set data (their files'
# folder, C:\e2e).

# The main window, once it is in front again.
main_window() {
  drv "waitwith ${1:-$E2E_TIMEOUT} 1005 Quillseal" "dialog Quillseal"
}

# until_reply COMMAND EXPECTED: repeats the command until it gets that reply (a click is
# posted, so what it changes shows a moment later).
until_reply() {
  local i
  for i in $(seq 50); do
    drv "$1"
    [[ $reply == "$2" ]] && return 0
    sleep 0.1
  done
  fail "'$1' never replied '$2'"
}

# file_dialog TITLE NAME: answers the open or save dialog with a name in C:\e2e.
file_dialog() {
  expect_dialog "$1"
  drv "filename C:\\e2e\\$2" ok
}

# cli ARGS...: the native quillseal-cli, approving by itself; its output is in $data/cli.out.
cli() {
  "$E2E_NATIVE_CLI" --quiet --yes "$@" </dev/null >"$data/cli.out" 2>&1 ||
    fail "quillseal-cli $*: $(cat "$data/cli.out")"
}
