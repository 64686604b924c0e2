# quillseal.exe: the first start with key-pair creation, signing and verifying, the settings
# with an encryption in the OKI-format and its decryption, and a cancelled encryption. The
# working folder is %LOCALAPPDATA%\QS_wd of the prefix's user; the cases' files lie in C:\e2e.

wd=$E2E_USER_DIR/AppData/Local/QS_wd
data=$WINEPREFIX/drive_c/e2e
program=$(windows_path "$E2E_BIN/app/win32/quillseal.exe")
source "$here/quillseal_files.sh"

setup_each() {
  rm -rf "$wd" "$data"
  mkdir -p "$data"
}

start_program() {
  driver_start
  drv "start \"$program\"" started
}

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

# box TEXT BUTTON: the message box with this text, answered.
box() {
  drv "waitbox $E2E_TIMEOUT Quillseal" "box Quillseal"
  shot
  drv text "text $1"
  drv "answer $2" ok
}

# file_dialog TITLE NAME: answers the open or save dialog with a name in C:\e2e.
file_dialog() {
  expect_dialog "$1"
  drv "filename C:\\e2e\\$2" ok
}

# approve: the approval of a certificate without certifications.
approve() {
  expect_dialog "Godkännande av certifikat"
  drv "text 1063"
  [[ $reply =~ ^"text "[0-9A-F]{64}$ ]] || fail "fingerprint: $reply"
  drv "text 1087" "text "
  drv "click 1057" ok
}

# finished: the progress dialog of a successful operation, then the main window with the
# name field cleared.
finished() {
  drv "waitwith $E2E_TIMEOUT 1047 Quillseal" "dialog Quillseal"
  shot
  drv "gone 60000" gone
  main_window
  drv "text 1006" "text "
}

case_first_start_creates_a_key_pair_then_signs_and_verifies() {
  start_program
  box "Det finns inget nyckelpar lagrat i programmet. Vill du skapa ett nytt nyckelpar?" yes
  expect_dialog "Skapa nytt nyckelpar"
  drv "enabled 1038" "enabled no"
  drv "mouse 1100" ok
  drv "enabled 1038" "enabled yes"
  drv "text 1068" "text "
  drv "settext 1064 Testnyckel för e2e" ok
  drv "click 1038" ok
  until_reply "text 1043" "text Vänta medan nyckelparet genereras. Detta kan ta flera minuter."
  drv "enabled 1064" "enabled no"
  shot
  drv "gone 120000" gone
  main_window
  shot
  [[ -s $wd/priv_key.bin && -s $wd/rand.bin ]] || fail "no key pair or seed file: $(ls "$wd" | xargs)"

  certificate "$data/egen.certificate"
  printf 'Avtalet gäller från i dag.\r\n' >"$data/avtal.txt"
  drv 'settext 1006 C:\e2e\avtal.txt' ok
  drv "click 1003" ok
  expect_dialog Signering
  drv "enabled 1081" "enabled no"
  drv "press 1080" ok
  drv "enabled 1081" "enabled yes"
  drv "settext 1081 Godkänt av mig" ok
  drv "click 1078" ok
  expect_dialog "Välj plats för signaturfilen..."
  drv "text 1148" "text avtal.txt_Testnyckel_för_e2e.signature"
  drv 'filename C:\e2e\avtal.signature' ok
  finished

  drv 'settext 1006 C:\e2e\avtal.txt' ok
  drv "click 1004" ok
  file_dialog "Välj sändarens certifikat..." egen.certificate
  approve
  file_dialog "Välj signaturfil..." avtal.signature
  expect_dialog Signatur
  drv "text 1082" "text Godkänt av mig"
  drv "text 1083"
  [[ $reply =~ ^"text "[0-9]{4}-[0-9]{2}-[0-9]{2}" "[0-9]{2}:[0-9]{2}$ ]] || fail "timestamp: $reply"
  drv "click 1084" ok
  main_window
  drv "text 1006" "text "

  drv "click 1005" ok
  expect_exit 0
}

case_settings_choose_the_oki_format_for_the_next_encryption() {
  store_key_pair alice "Alice"
  seed_file
  certificate "$data/bob.certificate" bob
  certificate "$data/alice.certificate" alice
  printf 'Rapporten, första utkastet.\n' >"$data/отчёт.txt"
  start_program
  main_window
  drv "click 40029" ok
  expect_dialog Inställningar
  drv "checked 1075" "checked yes"
  drv "enabled 1077" "enabled yes"
  drv "press 1076" ok
  drv "enabled 1077" "enabled no"
  shot
  drv "click 1074" ok
  drv "gone $E2E_TIMEOUT" gone
  expect_eq "$(bytes "$wd/config.bin" 0 6)" 020000000100 "config.bin"

  main_window
  drv 'settext 1006 C:\e2e\отчёт.txt' ok
  drv "click 1001" ok
  file_dialog "Välj mottagarens certifikat..." bob.certificate
  approve
  expect_dialog "Välj plats för den krypterade filen..."
  drv "text 1148" "text отчёт.txt.encrypted"
  drv 'filename C:\e2e\отчёт.txt.encrypted' ok
  finished
  # An OKI-format file: a length, then the "EncryptedData" record.
  expect_eq "$(bytes "$data/отчёт.txt.encrypted" 4 17)" \
    "0d000000$(printf EncryptedData | od -An -tx1 | tr -d ' \n')" "start of the encrypted file"

  # Bob decrypts it; the keys are read again for every command.
  store_key_pair bob "Bob"
  drv 'settext 1006 C:\e2e\отчёт.txt.encrypted' ok
  drv "click 1002" ok
  file_dialog "Välj sändarens certifikat..." alice.certificate
  approve
  expect_dialog "Välj plats för filen..."
  drv "text 1148" "text отчёт.txt"
  drv 'filename C:\e2e\отчёт-kopia.txt' ok
  finished
  cmp "$data/отчёт.txt" "$data/отчёт-kopia.txt" || fail "decrypted copy differs"
  drv "click 1005" ok
  expect_exit 0
}

case_cancelled_encryption_leaves_no_file() {
  store_key_pair alice "Alice"
  seed_file
  settings 0 1  # compression makes the work long enough to cancel
  certificate "$data/bob.certificate" bob
  head -c $((24 * 1024 * 1024)) /dev/urandom >"$data/stor.bin"
  start_program
  main_window
  drv 'settext 1006 C:\e2e\stor.bin' ok
  drv "click 1001" ok
  file_dialog "Välj mottagarens certifikat..." bob.certificate
  approve
  file_dialog "Välj plats för den krypterade filen..." stor.bin.encrypted
  drv "waitwith $E2E_TIMEOUT 1047 Quillseal" "dialog Quillseal"
  drv "text 1047" "text Komprimerar och krypterar..."
  drv "click 1045" ok
  until_reply "text 1047" "text Avbryter..."
  drv "enabled 1045" "enabled no"
  shot
  drv "gone 60000" gone
  expect_no_dialog_box
  main_window
  drv "text 1006" 'text C:\e2e\stor.bin'
  expect_eq "$(ls "$data" | xargs)" "bob.certificate stor.bin" "files after the cancel"
  drv "click 1005" ok
  expect_exit 0
}

# No message box follows within two seconds.
expect_no_dialog_box() {
  drv "waitbox 2000 Quillseal" "no window appeared"
}
