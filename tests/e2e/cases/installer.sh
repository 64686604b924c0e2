# The Windows installer (scripts/package): a silent installation, the installed program's first
# start, the file commands from Explorer's associations, an installation over an older version,
# the uninstaller, which lets rw_clean ask its two questions before it removes what it
# installed, leaving the registry's classes and the PATH as they were before the first
# installation, and a folder outside Program Files, which is refused. The cases run in order
# in one prefix. The installer and the programs in it are those scripts/package left in
# build/package/.

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
classes_key='HKLM\Software\Classes'
environment_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
# What the registry held before the first installation, for the uninstallations to match.
before=$WINEPREFIX/before-installation
explorer_files=$WINEPREFIX/drive_c/Mina\ filer

keep_keys="Vill du lämna kvar eventuella privata krypteringsnycklar som lagras på datorn?"
confirm="Krypteringsnyckeln kommer raderas med överskrivning, vill du fortsätta?"

setup_each() {
  [[ -f $installer ]] || fail "no installer at $installer: build it with scripts/package --windows-only"
  rm -rf "$wd"
  mkdir -p "$wd"
  for f in $files; do printf 'content of %s' "$f" >"$wd/$f"; done
}

# started DRIVER_COMMAND: starts a program through the driver ("start" or "shell"). Wine now and
# then refuses to start a program that was written a moment ago (error 1359); one more try after
# a pause tells that apart from a real fault.
started() {
  drv "$1"
  if [[ $reply == "error "*" 1359" ]]; then
    sleep 1
    drv "$1"
  fi
  expect_eq "$reply" started "$1"
}

launch() { started "start $1"; }

install() {
  driver_start
  launch "\"$(windows_path "$installer")\" /S"
  expect_exit 0
  driver_stop
}

# registry_value NAME [KEY]: the value of the uninstall entry (or of that key), or nothing. reg
# prints the value, or that it found none; when it prints nothing at all Wine did not start it,
# as now and then right after an installer ran, and it is asked again after a pause.
registry_value() {
  local output try
  for try in 1 2 3; do
    output=$("$E2E_WINE" reg query "${2:-$uninstall_key}" /v "$1" 2>/dev/null)
    [[ -n $output ]] && break
    sleep "$try"
  done
  tr -d '\r' <<<"$output" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

# class_values: every value under HKLM\Software\Classes as "[key] name=data", the key after
# Classes\, sorted, from reg export (asked again when Wine did not start reg).
class_values() {
  local export=$WINEPREFIX/classes.reg try
  for try in 1 2 3; do
    rm -f "$export"
    "$E2E_WINE" reg export "$classes_key" "$(windows_path "$export")" /y >/dev/null 2>&1
    [[ -s $export ]] && break
    sleep "$try"
  done
  [[ -s $export ]] || fail "reg export $classes_key wrote nothing"
  iconv -f UTF-16 -t UTF-8 "$export" | tr -d '\r' |
    awk -v prefix='[HKEY_LOCAL_MACHINE\\Software\\Classes\\' '
      index($0, prefix) == 1 { key = "[" substr($0, length(prefix) + 1); next }
      NF { print key " " $0 }' | LC_ALL=C sort
}

# What the installation adds to the classes: the file types with their names and icons, their
# verbs, the two entries of every file's menu and the associations.
expected_class_values() {
  LC_ALL=C sort <<'EOF'
[*\shell\Quillseal.Kryptera\command] @="\"C:\\Program Files\\Quillseal\\quillseal.exe\" /kryptera \"%1\""
[*\shell\Quillseal.Kryptera] "Icon"="C:\\Program Files\\Quillseal\\quillseal.exe"
[*\shell\Quillseal.Kryptera] @="Kryptera med Quillseal"
[*\shell\Quillseal.Signera\command] @="\"C:\\Program Files\\Quillseal\\quillseal.exe\" /signera \"%1\""
[*\shell\Quillseal.Signera] "Icon"="C:\\Program Files\\Quillseal\\quillseal.exe"
[*\shell\Quillseal.Signera] @="Signera med Quillseal"
[.certificate] @="Quillseal.Certificate"
[.certification] @="Quillseal.Certification"
[.encrypted\OpenWithProgids] "Quillseal.Encrypted"=""
[.encrypted] @="Quillseal.Encrypted"
[.key_backup] @="Quillseal.KeyBackup"
[.private_cert_key] @="Quillseal.PrivateCertKey"
[.public_cert_key] @="Quillseal.PublicCertKey"
[.public_key] @="Quillseal.PublicKey"
[.signature\OpenWithProgids] "Quillseal.Signature"=""
[.signature] @="Quillseal.Signature"
[Quillseal.Certificate\DefaultIcon] @="C:\\Program Files\\Quillseal\\quillseal.exe,-132"
[Quillseal.Certificate] @="Certifikat (Quillseal)"
[Quillseal.Certification\DefaultIcon] @="C:\\Program Files\\Quillseal\\quillseal.exe,-133"
[Quillseal.Certification] @="Certifiering (Quillseal)"
[Quillseal.Encrypted\DefaultIcon] @="C:\\Program Files\\Quillseal\\quillseal.exe,-130"
[Quillseal.Encrypted\shell\dekryptera\command] @="\"C:\\Program Files\\Quillseal\\quillseal.exe\" /dekryptera \"%1\""
[Quillseal.Encrypted\shell\dekryptera] "Icon"="C:\\Program Files\\Quillseal\\quillseal.exe"
[Quillseal.Encrypted\shell\dekryptera] @="Dekryptera med Quillseal"
[Quillseal.Encrypted\shell] @="dekryptera"
[Quillseal.Encrypted] @="Krypterad fil (Quillseal)"
[Quillseal.KeyBackup\DefaultIcon] @="C:\\Program Files\\Quillseal\\quillseal.exe,-137"
[Quillseal.KeyBackup] @="Säkerhetskopia av nyckelpar (Quillseal)"
[Quillseal.PrivateCertKey\DefaultIcon] @="C:\\Program Files\\Quillseal\\quillseal.exe,-136"
[Quillseal.PrivateCertKey] @="Privat certifieringsnyckel (Quillseal)"
[Quillseal.PublicCertKey\DefaultIcon] @="C:\\Program Files\\Quillseal\\quillseal.exe,-135"
[Quillseal.PublicCertKey] @="Publik certifieringsnyckel (Quillseal)"
[Quillseal.PublicKey\DefaultIcon] @="C:\\Program Files\\Quillseal\\quillseal.exe,-134"
[Quillseal.PublicKey] @="Publik nyckel för certifiering (Quillseal)"
[Quillseal.Signature\DefaultIcon] @="C:\\Program Files\\Quillseal\\quillseal.exe,-131"
[Quillseal.Signature\shell\verifiera\command] @="\"C:\\Program Files\\Quillseal\\quillseal.exe\" /verifiera \"%1\""
[Quillseal.Signature\shell\verifiera] "Icon"="C:\\Program Files\\Quillseal\\quillseal.exe"
[Quillseal.Signature\shell\verifiera] @="Verifiera med Quillseal"
[Quillseal.Signature\shell] @="verifiera"
[Quillseal.Signature] @="Signaturfil (Quillseal)"
EOF
}

# expect_class_changes CHANGES: what differs under HKLM\Software\Classes from before the first
# installation, as comm -3 shows it (values added indented by a tab). Reading the whole of the
# classes takes Wine several seconds, so one installation and one uninstallation look at them.
expect_class_changes() {
  expect_eq "$(LC_ALL=C comm -3 "$before.classes" <(class_values))" "$1" "the changes under $classes_key"
}

# expect_path SUFFIX: the PATH as before the first installation, with the suffix.
expect_path() {
  expect_eq "$(registry_value Path "$environment_key")" "$(cat "$before.path")$1" "PATH"
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

# Before it, the PATH gets more entries than an NSIS string holds, which the installer must
# neither cut nor lose.
case_silent_installation_puts_programs_menu_entry_uninstall_entry_file_types_and_path_in_place() {
  local path entry i
  path=$(registry_value Path "$environment_key")
  [[ -n $path ]] || fail "no PATH in $environment_key"
  for i in $(seq 60); do
    printf -v entry 'C:\\Verktyg\\mapp-%02d' "$i"
    path+=";$entry"
  done
  "$E2E_WINE" reg add "$environment_key" /v Path /t REG_EXPAND_SZ /d "$path" /f >/dev/null 2>&1
  expect_eq "$(registry_value Path "$environment_key")" "$path" "the long PATH before the installation"
  printf '%s' "$path" >"$before.path"
  class_values >"$before.classes"
  install
  expect_eq "$(cd "$folder" && ls | xargs)" "quillseal-cli.exe quillseal.exe rw_clean.exe uninstall.exe" "installed files"
  [[ -s $menu_entry ]] || fail "no Start-menu entry Quillseal"
  expect_eq "$(registry_value DisplayName)" "Quillseal" "DisplayName"
  expect_eq "$(registry_value DisplayVersion)" "$version" "DisplayVersion"
  expect_eq "$(registry_value Publisher)" "Quillseal" "Publisher"
  expect_eq "$(registry_value UninstallString)" '"C:\Program Files\Quillseal\uninstall.exe"' "UninstallString"
  expect_class_changes "$(expected_class_values | sed 's/^/\t/')"
  expect_path ';C:\Program Files\Quillseal'
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

# explorer_opens DRIVER_COMMAND DIALOG NAME: opens a file as Explorer does, through the installed
# association; quillseal.exe must show that command's first dialog, with NAME in its name field.
explorer_opens() {
  started "$1"
  expect_dialog "$2"
  drv "answer cancel" ok
  drv "waitwith $E2E_TIMEOUT 1005 Quillseal" "dialog Quillseal"
  drv "text 1006" "text $3"
  drv kill ok
}

# A double-click on an encrypted file decrypts it, one on a signature verifies the file beside
# it, and every file's menu encrypts and signs it; the names hold a blank and a letter beyond
# ASCII, as the shell hands them over.
case_explorer_runs_the_file_commands_through_the_associations() {
  [[ -n ${E2E_NATIVE_CLI:-} ]] || fail "the native quillseal-cli is needed"
  rm -rf "$wd" "$explorer_files"
  "$E2E_NATIVE_CLI" --quiet --workdir "$wd" keygen --name nyckel </dev/null >/dev/null 2>&1 || fail "keygen"
  mkdir -p "$explorer_files"
  local f files_folder='C:\Mina filer'
  for f in "rapport ö.pdf" "rapport ö.pdf.encrypted" "rapport ö.pdf_nyckel.signature"; do
    printf 'innehåll' >"$explorer_files/$f"
  done
  driver_start
  explorer_opens "shell - $files_folder\rapport ö.pdf.encrypted" "Välj sändarens certifikat..." \
    "$files_folder\rapport ö.pdf.encrypted"
  explorer_opens "shell - $files_folder\rapport ö.pdf_nyckel.signature" "Välj sändarens certifikat..." \
    "$files_folder\rapport ö.pdf"
  explorer_opens "shellclass * Quillseal.Kryptera $files_folder\rapport ö.pdf" "Välj mottagarens certifikat..." \
    "$files_folder\rapport ö.pdf"
  explorer_opens "shellclass * Quillseal.Signera $files_folder\rapport ö.pdf" "Signering" "$files_folder\rapport ö.pdf"
  driver_stop
  rm -rf "$explorer_files"
}

case_installing_over_an_older_version_upgrades_it_in_place() {
  "$E2E_WINE" reg add "$uninstall_key" /v DisplayVersion /d 0.9.0 /f >/dev/null 2>&1
  printf 'older' >"$folder/quillseal-cli.exe"
  install
  expect_eq "$(registry_value DisplayVersion)" "$version" "DisplayVersion"
  cmp -s "$folder/quillseal-cli.exe" "$package/quillseal-cli.exe" || fail "quillseal-cli.exe was not replaced"
  expect_eq "$(cd "$folder" && ls | xargs)" "quillseal-cli.exe quillseal.exe rw_clean.exe uninstall.exe" "installed files"
  expect_path ';C:\Program Files\Quillseal'
}

case_uninstall_removes_the_backup_task_and_keeping_the_keys_leaves_the_working_folder() {
  mkdir -p "$(dirname "$task_file")"
  printf '<?xml version="1.0"?><Task xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Actions><Exec><Command>notepad.exe</Command></Exec></Actions></Task>' >"$task_file"
  uninstall yes
  [[ ! -e $task_file ]] || fail "the backup task is still there"
  expect_eq "$(ls "$wd" | xargs)" "$files" "working folder"
  for f in $files; do expect_eq "$(cat "$wd/$f")" "content of $f" "$f"; done
  expect_class_changes ""
  expect_path ""
}

case_uninstall_with_the_wipe_removes_the_working_folder() {
  install
  uninstall no yes
  [[ ! -e $wd ]] || fail "working folder still there: $(ls -A "$wd" | xargs)"
  expect_path ""
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
