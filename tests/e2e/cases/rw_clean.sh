# rw_clean.exe: command words, the two questions, the wipe of the working folder, the backup
# task, exit codes. The working folder is %LOCALAPPDATA%\QS_wd of the prefix's user.

wd=$E2E_USER_DIR/AppData/Local/QS_wd
tool=$(windows_path "$E2E_BIN/clean/rw_clean.exe")
# Wine's scheduler keeps each task as a file of this name in its tasks folder.
task_file=$WINEPREFIX/drive_c/windows/system32/tasks/RW_BACKUP_TASK
files="cert_key_list.bin config.bin priv_key.bin rand.bin"

keep_keys="Vill du lämna kvar eventuella privata krypteringsnycklar som lagras på datorn?"
confirm="Krypteringsnyckeln kommer raderas med överskrivning, vill du fortsätta?"

setup_each() {
  rm -rf "$wd" "$task_file"
  mkdir -p "$wd"
  for f in $files; do printf 'content of %s' "$f" >"$wd/$f"; done
}

# clean COMMAND_LINE_TAIL [NAME=VALUE...]: starts the tool with exactly this text after its
# name, e.g. " clean_folder" or "" for none.
clean() {
  local tail=$1
  shift
  driver_start "$@"
  drv "start \"$tool\"$tail" "started"
}

# The message box with this text, answered with the button.
box() {
  expect_dialog Quillseal "$1"
  drv "answer $2" "ok"
}

expect_untouched() {
  expect_eq "$(ls "$wd" 2>&1 | xargs)" "$files" "working folder"
  local f
  for f in $files; do expect_eq "$(cat "$wd/$f")" "content of $f" "$f"; done
}

expect_wiped() {
  [[ ! -e $wd ]] || fail "working folder still there: $(ls -A "$wd" | xargs)"
}

case_unknown_word_shows_its_message_and_ends_with_exit_code_1() {
  clean " wipe"
  expect_dialog Quillseal "Fel: Felaktig paramater."
  drv window "owner=none topmost=yes"  # system-modal, nobody's child
  drv "answer ok" "ok"
  expect_exit 1
  expect_untouched
}

case_missing_word_is_unknown() {
  clean ""
  box "Fel: Felaktig paramater." ok
  expect_exit 1
  expect_untouched
}

case_trailing_space_makes_an_unknown_word() {
  clean " clean_folder "
  box "Fel: Felaktig paramater." ok
  expect_exit 1
  expect_untouched
}

case_keeping_the_keys_deletes_nothing() {
  clean " clean_folder"
  expect_dialog Quillseal "$keep_keys"
  drv window "owner=none topmost=yes"
  drv "answer yes" "ok"
  expect_exit 0
  expect_untouched
}

case_declining_the_warning_deletes_nothing() {
  clean " no_remove_task"
  box "$keep_keys" no
  box "$confirm" no
  expect_exit 0
  expect_untouched
}

case_clean_folder_overwrites_and_removes_the_working_folder() {
  clean " clean_folder"
  box "$keep_keys" no
  box "$confirm" yes
  expect_exit 0
  expect_wiped
}

case_read_only_file_is_reported_once_and_kept_with_the_folder() {
  chmod 444 "$wd/priv_key.bin"
  mkdir "$wd/sub"
  echo inner >"$wd/sub/inner.bin"
  clean " no_remove_task"
  box "$keep_keys" no
  box "$confirm" yes
  box "Kunde inte radera alla filer!" ok
  expect_exit 0
  expect_eq "$(ls "$wd" | xargs)" "priv_key.bin sub" "what is left"
  expect_eq "$(cat "$wd/priv_key.bin")" "content of priv_key.bin" "read-only file"
  expect_eq "$(cat "$wd/sub/inner.bin")" "inner" "file in the sub-folder"
}

case_missing_working_folder_ends_with_exit_code_1() {
  rm -rf "$wd"
  clean " clean_folder"
  box "$keep_keys" no
  box "$confirm" yes
  box "Kunde inte radera filer!" ok
  expect_exit 1
}

case_remove_task_deletes_the_backup_task_without_a_word() {
  mkdir -p "$(dirname "$task_file")"
  printf '<?xml version="1.0"?><Task xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Actions><Exec><Command>notepad.exe</Command></Exec></Actions></Task>' >"$task_file"
  clean " remove_task"
  box "$keep_keys" yes
  expect_exit 0
  [[ ! -e $task_file ]] || fail "the task is still there"
  expect_untouched
}

case_remove_task_without_such_task_goes_on_to_the_questions() {
  clean " remove_task"
  box "$keep_keys" no
  box "$confirm" yes
  expect_exit 0
  expect_wiped
}

case_unreachable_scheduler_is_reported_and_the_wipe_goes_on() {
  # Without its DLL the Task Scheduler object cannot be created.
  clean " remove_task" WINEDLLOVERRIDES=taskschd=
  box "Fel: Kunde inte ta bort schema för kopiering!" ok
  box "$keep_keys" no
  box "$confirm" yes
  expect_exit 0
  expect_wiped
}

# Someone who may change %LOCALAPPDATA% puts a link to other files where the folder was. Wine
# cannot make a junction (mklink /J fails), but presents a Unix symbolic link as a reparse
# point in the path's attributes.
case_working_folder_that_is_a_link_is_refused_and_its_target_untouched() {
  local other=$E2E_USER_DIR/Documents/other
  rm -rf "$other" && mkdir -p "$other"
  echo "the user's own file" >"$other/letter.txt"
  rm -rf "$wd" && ln -s "$other" "$wd"
  clean " clean_folder"
  box "$keep_keys" no
  box "$confirm" yes
  box "Fel: Arbetsmappen är en länk, inget har raderats!" ok
  expect_exit 1
  expect_eq "$(ls "$other" | xargs)" "letter.txt" "linked folder"
  expect_eq "$(cat "$other/letter.txt")" "the user's own file" "file in the linked folder"
}

case_file_with_a_second_name_is_reported_and_its_data_kept() {
  local backup=$E2E_USER_DIR/Documents/backup.bin
  mkdir -p "$(dirname "$backup")"
  echo "the user's own copy" >"$backup"
  rm "$wd/priv_key.bin" && ln "$backup" "$wd/priv_key.bin"
  clean " clean_folder"
  box "$keep_keys" no
  box "$confirm" yes
  box 'Filen "priv_key.bin" har flera namn och har varken skrivits över eller raderats!' ok
  expect_exit 0
  expect_eq "$(ls "$wd" | xargs)" "priv_key.bin" "what is left"
  expect_eq "$(cat "$backup")" "the user's own copy" "the other name's data"
}
