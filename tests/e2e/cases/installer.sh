# The Windows installer (scripts/package): a silent installation, the installed program's first
# start, an installation over an older version, and the uninstaller, which lets rw_clean ask its
# two questions before it removes what it installed, and a folder outside Program Files, which
# is refused. The cases run in order in one prefix.
# The installer and the programs in it are those scripts/package left in build/package/.

package=$(dirname "$E2E_BIN")/package
installers=("$package"/quillseal-*-setup.exe)
installer=${installers[0]}
version=${installer##*/quillseal-}
version=${version%-setup.exe}
folder=$WINEPREFIX/drive_c/Program\ Files/Quillseal
menu_entry=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Quillseal.lnk
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillseal'
wd=$E2E_USER_DIR/AppData/Local/QS_wd
task_file=$WINEPREFIX/drive_c/windows/system32/tasks/RW_BACKUP_TASK
files="config.bin priv_key.bin"

keep_keys="Vill du lämna kvar eventuella privata krypteringsnycklar som lagras på datorn?"
confirm="Krypteringsnyckeln kommer raderas med överskrivning, vill du fortsätta?"

setup_each() {
  [[ -f $installer ]] || fail "no installer at $installer: build it with scripts/package --windows-only"
  rm -rf "$wd"
  mkdir -p "$wd"
  for f in $files; do printf 'content of %s' "$f" >"$wd/$f"; done
}

# launch COMMAND_LINE: starts a program through the driver. Wine now and then refuses to start a
# program that was written a moment ago (error 1359); one more try after a pause tells that
# apart from a real fault.
launch() {
  drv "start $1"
  if [[ $reply == "error start 1359" ]]; then
    sleep 1
    drv "start $1"
  fi
  expect_eq "$reply" started "starting $1"
}

install() {
  driver_start
  launch "\"$(windows_path "$installer")\" /S"
  expect_exit 0
  driver_stop
}

# registry_value NAME: the value of the uninstall entry, or nothing. reg prints the value, or
# that it found none; when it prints nothing at all Wine did not start it, as now and then
# right after an installer ran, and it is asked again after a pause.
registry_value() {
  local output try
  for try in 1 2 3; do
    output=$("$E2E_WINE" reg query "$uninstall_key" /v "$1" 2>/dev/null)
    [[ -n $output ]] && break
    sleep "$try"
  done
  tr -d '\r' <<<"$output" | sed -n "s/^ *$1 *REG_[A-Z]* *//p"
}

# uninstall KEEP_ANSWER [CONFIRM_ANSWER]: the uninstaller, silent but for rw_clean's questions.
# It goes on from a copy of itself, so its end shows as the folder's removal.
uninstall() {
  driver_start
  launch "\"C:\\Program Files\\Quillseal\\uninstall.exe\" /S"
  drv "waitbox $E2E_TIMEOUT Quillseal" "box Quillseal"
  drv text "text $keep_keys"
  drv "answer $1" ok
  if [[ $# -ge 2 ]]; then
    drv "waitbox $E2E_TIMEOUT Quillseal" "box Quillseal"
    drv text "text $confirm"
    drv "answer $2" ok
  fi
  local i
  for i in $(seq 150); do
    [[ -e $folder ]] || break
    sleep 0.1
  done
  [[ ! -e $folder ]] || fail "still in Program Files: $(ls -A "$folder" | xargs)"
  [[ ! -e $menu_entry ]] || fail "the Start-menu entry is still there"
  [[ -z $(registry_value DisplayName) ]] || fail "the entry under installed programs is still there"
}

case_silent_installation_puts_programs_menu_entry_and_uninstall_entry_in_place() {
  install
  expect_eq "$(cd "$folder" && ls | xargs)" "quillseal-cli.exe quillseal.exe rw_clean.exe uninstall.exe" "installed files"
  [[ -s $menu_entry ]] || fail "no Start-menu entry Quillseal"
  expect_eq "$(registry_value DisplayName)" "Quillseal" "DisplayName"
  expect_eq "$(registry_value DisplayVersion)" "$version" "DisplayVersion"
  expect_eq "$(registry_value Publisher)" "Quillseal" "Publisher"
  expect_eq "$(registry_value UninstallString)" '"C:\Program Files\Quillseal\uninstall.exe"' "UninstallString"
}

case_installed_program_starts_with_its_first_question() {
  rm -rf "$wd"
  driver_start
  launch '"C:\Program Files\Quillseal\quillseal.exe"'
  drv "waitbox $E2E_TIMEOUT Quillseal" "box Quillseal"
  shot
  drv text "text Det finns inget nyckelpar lagrat i programmet. Vill du skapa ett nytt nyckelpar?"
  drv kill ok
}

case_installing_over_an_older_version_upgrades_it_in_place() {
  "$E2E_WINE" reg add "$uninstall_key" /v DisplayVersion /d 0.9.0 /f >/dev/null 2>&1
  printf 'older' >"$folder/quillseal-cli.exe"
  install
  expect_eq "$(registry_value DisplayVersion)" "$version" "DisplayVersion"
  cmp -s "$folder/quillseal-cli.exe" "$package/quillseal-cli.exe" || fail "quillseal-cli.exe was not replaced"
  expect_eq "$(cd "$folder" && ls | xargs)" "quillseal-cli.exe quillseal.exe rw_clean.exe uninstall.exe" "installed files"
}

case_uninstall_removes_the_backup_task_and_keeping_the_keys_leaves_the_working_folder() {
  mkdir -p "$(dirname "$task_file")"
  printf '<?xml version="1.0"?><Task xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Actions><Exec><Command>notepad.exe</Command></Exec></Actions></Task>' >"$task_file"
  uninstall yes
  [[ ! -e $task_file ]] || fail "the backup task is still there"
  expect_eq "$(ls "$wd" | xargs)" "$files" "working folder"
  for f in $files; do expect_eq "$(cat "$wd/$f")" "content of $f" "$f"; done
}

case_uninstall_with_the_wipe_removes_the_working_folder() {
  install
  uninstall no yes
  [[ ! -e $wd ]] || fail "working folder still there: $(ls -A "$wd" | xargs)"
}

# The elevated uninstaller runs rw_clean.exe from the installation folder: a folder that
# ordinary users may write (anything outside Program Files) is refused, and nothing is put
# anywhere.
case_a_folder_outside_program_files_is_refused() {
  local elsewhere=$WINEPREFIX/drive_c/users/Public/Quillseal
  driver_start
  launch "\"$(windows_path "$installer")\" /S /D=C:\\users\\Public\\Quillseal"
  expect_exit 2
  driver_stop
  [[ ! -e $elsewhere ]] || fail "installed outside Program Files: $(ls -A "$elsewhere" | xargs)"
  [[ -z $(registry_value DisplayName) ]] || fail "an entry under installed programs was made"
}
