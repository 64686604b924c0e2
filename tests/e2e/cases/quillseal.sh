# quillseal.exe: the first start with key-pair creation, signing and verifying, the settings
# with an encryption in the OKI-format and its decryption, a cancelled encryption, one file
# for several recipients and the sender, and files going both ways between the program and
# quillseal-cli. The working folder is %LOCALAPPDATA%\QS_wd of the prefix's user; the cases'
# files lie in C:\e2e. The native quillseal-cli makes the keys and certificates the cases
# start from.

wd=$E2E_USER_DIR/AppData/Local/QS_wd
data=$WINEPREFIX/drive_c/e2e
program=$(windows_path "$E2E_BIN/app/win32/quillseal.exe")

setup_each() {
  [[ -n ${E2E_NATIVE_CLI:-} ]] || fail "the native quillseal-cli is needed"
  rm -rf "$wd" "$data"
  mkdir -p "$data"
}

# user WORKDIR NAME: a key pair (and a seed file) in the folder, and NAME.certificate in
# C:\e2e without certifications.
user() {
  cli --workdir "$1" keygen --name "$2"
  cli --workdir "$1" certificate create -o "$data/$2.certificate"
}

# bytes FILE OFFSET COUNT: those bytes in hex.
bytes() {
  od -An -tx1 -j"$2" -N"$3" "$1" | tr -d ' \n'
}

start_program() {
  driver_start
  drv "start \"$program\"" started
}

# box TEXT BUTTON: the message box with this text, answered.
box() {
  drv "waitbox $E2E_TIMEOUT Quillseal" "box Quillseal"
  shot
  drv text "text $1"
  drv "answer $2" ok
}

# approve [ORGANISATION]: the approval of a certificate, whose first certification is verified
# by that organisation's trusted key (none: no certifications).
approve() {
  expect_dialog "Godkännande av certifikat"
  drv "text 1063"
  [[ $reply =~ ^"text "[0-9A-F]{64}$ ]] || fail "fingerprint: $reply"
  drv "text 1087" "text ${1:-}"
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

# Verifies avtal.txt with avtal.signature against the user's own certificate, up to the
# signature dialog.
verify_avtal() {
  drv 'settext 1006 C:\e2e\avtal.txt' ok
  drv "click 1004" ok
  file_dialog "Välj sändarens certifikat..." egen.certificate
  approve
  file_dialog "Välj signaturfil..." avtal.signature
  expect_dialog Signatur
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

  cli --workdir "$wd" certificate create -o "$data/egen.certificate"
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

  verify_avtal
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
  user "$wd" alice
  user "$data/bob" bob
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
  cp "$data/bob/priv_key.bin" "$wd/priv_key.bin"
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

# A key pair locked with a passphrase by the command line: signing asks for it, a wrong one
# is asked again with the wrong line shown, and the right one signs; verifying never asks.
case_a_passphrase_locked_key_pair_is_asked_for_when_signing() {
  printf 'rätt lösenfras\n' >"$data/fras.txt"
  cli --workdir "$wd" --passphrase-file "$data/fras.txt" keygen --name "Låst nyckel" --passphrase
  cli --workdir "$wd" --passphrase-file "$data/fras.txt" certificate create -o "$data/egen.certificate"
  printf 'Avtalet gäller.\r\n' >"$data/avtal.txt"
  start_program
  main_window
  drv 'settext 1006 C:\e2e\avtal.txt' ok
  drv "click 1003" ok
  expect_dialog Signering
  drv "click 1078" ok
  expect_dialog Lösenfras
  drv "text 1111" "text Nyckeln i priv_key.bin är skyddad med en lösenfras. Skriv lösenfrasen:"
  drv "text 1113" "text "
  drv "settext 1112 fel fras" ok
  drv "click 1114" ok
  drv "gone 30000" gone
  expect_dialog Lösenfras
  drv "text 1113" "text Fel lösenfras. Försök igen."
  drv "settext 1112 rätt lösenfras" ok
  shot
  drv "click 1114" ok
  drv "gone 30000" gone
  file_dialog "Välj plats för signaturfilen..." avtal.signature
  finished
  [[ -s $data/avtal.signature ]] || fail "no signature file"

  # Verifying opens no private key: the signature dialog follows the approval directly.
  verify_avtal
  drv "click 1084" ok
  main_window
  drv "click 1005" ok
  expect_exit 0
}

case_cancelled_encryption_leaves_no_file() {
  user "$wd" alice
  user "$data/bob" bob
  cli --workdir "$wd" settings --format quillseal --compression on  # long enough to cancel
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
  expect_eq "$(ls "$data" | xargs)" "alice.certificate bob bob.certificate cli.out stor.bin" "files after the cancel"
  drv "click 1005" ok
  expect_exit 0
}

# One file for bob and carol, chosen together, and for the sender by the setting: each of the
# three decrypts it on the command line.
case_one_file_for_several_recipients_and_the_sender() {
  user "$wd" alice
  user "$data/bob" bob
  user "$data/carol" carol
  printf 'Till hela gruppen.\n' >"$data/grupp.txt"
  start_program
  main_window
  drv "click 40029" ok
  expect_dialog Inställningar
  drv "checked 1110" "checked no"
  drv "press 1110" ok
  shot
  drv "click 1074" ok
  drv "gone $E2E_TIMEOUT" gone
  expect_eq "$(bytes "$wd/config.bin" 0 7)" 03000000000001 "config.bin"

  main_window
  drv 'settext 1006 C:\e2e\grupp.txt' ok
  drv "click 1001" ok
  expect_dialog "Välj mottagarens certifikat..."
  drv 'folder C:\e2e' ok
  drv 'filename "bob.certificate" "carol.certificate"' ok
  approve
  drv "gone $E2E_TIMEOUT" gone
  approve
  file_dialog "Välj plats för den krypterade filen..." grupp.txt.encrypted
  finished
  drv "click 1005" ok
  expect_exit 0

  cli inspect "$data/alice.certificate"
  local sender who dir
  sender=$(fingerprint_in "$(cat "$data/cli.out")")
  for who in bob carol alice; do
    dir=$data/$who
    [[ $who == alice ]] && dir=$wd
    cli --workdir "$dir" --expect-fingerprint "$sender" decrypt --from "$data/alice.certificate" \
      "$data/grupp.txt.encrypted" -o "$data/grupp-$who.txt"
    cmp "$data/grupp.txt" "$data/grupp-$who.txt" || fail "$who read another text"
  done
}

# No message box follows within two seconds.
expect_no_dialog_box() {
  drv "waitbox 2000 Quillseal" "no window appeared"
}

# The program's user (alice, in its working folder) and bob on the command line, both
# certified by one authority that both trust.
certified_users() {
  cli --workdir "$data/ca" ca create --organisation "Test CA" -o "$data/ca"
  local who dir
  for who in alice bob; do
    dir=$data/bob
    [[ $who == alice ]] && dir=$wd
    cli --workdir "$dir" keygen --name "$who nyckel"
    cli --workdir "$dir" key export -o "$data/$who.public_key"
    cli inspect "$data/ca.public_cert_key"
    cli --workdir "$dir" --expect-fingerprint "$(fingerprint_in "$(cat "$data/cli.out")")" trust add "$data/ca.public_cert_key"
    cli --workdir "$data/ca" ca certify --public-key "$data/$who.public_key" --ca-key "$data/ca.private_cert_key" \
      --field "Namn=$who Åström" -o "$data/$who.certification"
    cli --workdir "$dir" certificate create "$data/$who.certification" -o "$data/$who.certificate"
  done
}

case_program_and_command_line_read_each_others_files() {
  certified_users
  printf 'Hej Bob, här kommer avtalet.\n' >"$data/brev.txt"
  printf 'Tack Alice, jag har läst det.\n' >"$data/svar.txt"
  start_program
  main_window

  # The program encrypts for bob, the command line decrypts.
  drv 'settext 1006 C:\e2e\brev.txt' ok
  drv "click 1001" ok
  file_dialog "Välj mottagarens certifikat..." bob.certificate
  approve "Test CA"
  file_dialog "Välj plats för den krypterade filen..." brev.txt.encrypted
  finished
  cli --workdir "$data/bob" --expect-field "Namn=alice Åström" decrypt --from "$data/alice.certificate" "$data/brev.txt.encrypted" -o "$data/brev-bob.txt"
  cmp "$data/brev.txt" "$data/brev-bob.txt" || fail "bob read another letter"

  # The command line encrypts for alice, the program decrypts.
  cli --workdir "$data/bob" --expect-field "Namn=alice Åström" encrypt --to "$data/alice.certificate" "$data/svar.txt"
  drv 'settext 1006 C:\e2e\svar.txt.encrypted' ok
  drv "click 1002" ok
  file_dialog "Välj sändarens certifikat..." bob.certificate
  approve "Test CA"
  file_dialog "Välj plats för filen..." svar-alice.txt
  finished
  cmp "$data/svar.txt" "$data/svar-alice.txt" || fail "alice read another answer"

  # The program signs, the command line verifies.
  drv 'settext 1006 C:\e2e\brev.txt' ok
  drv "click 1003" ok
  expect_dialog Signering
  drv "press 1080" ok
  drv "settext 1081 Från programmet" ok
  drv "click 1078" ok
  file_dialog "Välj plats för signaturfilen..." brev.signature
  finished
  cli --workdir "$data/bob" --expect-field "Namn=alice Åström" verify --from "$data/alice.certificate" "$data/brev.txt" "$data/brev.signature"
  grep -q "Signaturen OK." "$data/cli.out" || fail "not verified: $(cat "$data/cli.out")"
  grep -q "Från programmet" "$data/cli.out" || fail "message lost: $(cat "$data/cli.out")"

  # The command line signs, the program verifies.
  cli --workdir "$data/bob" sign "$data/svar.txt" --message "Från kommandoraden" -o "$data/svar.signature"
  drv 'settext 1006 C:\e2e\svar.txt' ok
  drv "click 1004" ok
  file_dialog "Välj sändarens certifikat..." bob.certificate
  approve "Test CA"
  file_dialog "Välj signaturfil..." svar.signature
  expect_dialog Signatur
  drv "text 1082" "text Från kommandoraden"
  drv "click 1084" ok
  main_window
  drv "click 1005" ok
  expect_exit 0
}
