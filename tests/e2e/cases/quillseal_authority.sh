# quillseal.exe as both a certification authority and its user on one machine, through the
# program's windows only: the user's key pair, a certification key pair made and trusted,
# the public key exported and certified with a data field, the personal certificate made, a
# file encrypted for that certificate and decrypted, and the key pair backed up and restored.
# Every dialog on the way is photographed.

wd=$E2E_USER_DIR/AppData/Local/QS_wd
data=$WINEPREFIX/drive_c/e2e
program=$(windows_path "$E2E_BIN/app/win32/quillseal.exe")

setup_each() {
  rm -rf "$wd" "$data"
  mkdir -p "$data"
}

box() {
  drv "waitbox $E2E_TIMEOUT Quillseal" "box Quillseal"
  shot
  drv text "text $1"
  drv "answer $2" ok
}

# create_keys NAME: the key-pair dialog that is open makes its keys under that name.
create_keys() {
  expect_dialog "Skapa nytt nyckelpar"
  drv "mouse 1100" ok
  drv "settext 1064 $1" ok
  drv "click 1038" ok
  shot
}

finished() {
  drv "waitwith $E2E_TIMEOUT 1047 Quillseal" "dialog Quillseal"
  drv "gone 60000" gone
  main_window
  drv "text 1006" "text "
}

case_authority_and_user_do_the_whole_story_in_the_program() {
  printf 'Hemligt brev från myndigheten.\n' >"$data/brev.txt"
  driver_start
  drv "start \"$program\"" started
  box "Det finns inget nyckelpar lagrat i programmet. Vill du skapa ett nytt nyckelpar?" yes
  create_keys "Alice nyckel"
  drv "gone 120000" gone
  main_window

  # The authority's certification key pair, trusted at once.
  drv "click 40025" ok
  create_keys "Test CA"
  drv "wait 120000 Välj plats för den privata certifieringsnyckeln..." \
    "dialog Välj plats för den privata certifieringsnyckeln..."
  shot
  drv "text 1148"
  [[ $reply =~ ^"text Test_CA_"[0-9A-F]{16}$ ]] || fail "suggested name: $reply"
  drv 'filename C:\e2e\ca.private_cert_key' ok
  file_dialog "Välj plats för den publika certifieringsnyckeln..." ca.public_cert_key
  box "Vill du lägga till den nya publika certifieringsnyckeln som en betrodd nyckel i programmet?" yes
  main_window
  [[ -s $data/ca.private_cert_key && -s $data/ca.public_cert_key ]] || fail "no certification key files"

  drv "click 40023" ok
  expect_dialog "Betrodda certifieringsnycklar"
  drv "enabled 1072" "enabled yes"
  drv "click 1033" ok
  drv "gone $E2E_TIMEOUT" gone
  main_window

  # The user's public key, certified by the authority.
  drv "click 40017" ok
  expect_dialog "Välj plats för den publika nyckeln..."
  drv "text 1148" "text Alice_nyckel"
  drv 'filename C:\e2e\alice.public_key' ok
  main_window
  drv "click 40014" ok
  expect_dialog "Certifiera nyckel"
  drv "enabled 1071" "enabled no"
  drv 'settext 1023 C:\e2e\alice.public_key' ok
  drv 'settext 1028 C:\e2e\ca.private_cert_key' ok
  drv "settext 1055 Namn" ok
  drv "settext 1056 Alice Åström" ok
  drv "click 1027" ok
  until_reply "enabled 1071" "enabled yes"
  drv "text 1055" "text "
  shot
  drv "click 1021" ok
  expect_dialog "Godkännande av certifiering"
  drv "text 1093"
  [[ $reply =~ ^"text "[0-9]{4}-[0-9]{2}-[0-9]{2}" "[0-9]{2}:[0-9]{2}$ ]] || fail "timestamp: $reply"
  drv "text 1094"
  [[ $reply =~ ^"text "[0-9A-F]{64}$ ]] || fail "fingerprint: $reply"
  drv "click 1091" ok
  expect_dialog "Välj plats för certifieringen..."
  drv "text 1148"
  [[ $reply =~ ^"text alice_Test_CA_"[0-9A-F]{16}$ ]] || fail "suggested name: $reply"
  drv 'filename C:\e2e\alice.certification' ok
  main_window

  # The personal certificate.
  drv "click 40013" ok
  expect_dialog "Skapa personligt certifikat"
  drv "enabled 1070" "enabled no"
  drv "click 1017" ok
  file_dialog "Välj certifiering..." alice.certification
  drv "wait $E2E_TIMEOUT Skapa personligt certifikat" "dialog Skapa personligt certifikat"
  until_reply "enabled 1070" "enabled yes"
  shot
  drv "click 1018" ok
  expect_dialog "Välj plats för certifikatet..."
  drv "text 1148" "text Alice_nyckel"
  drv 'filename C:\e2e\alice.certificate' ok
  main_window

  # A file for that certificate, and back.
  drv 'settext 1006 C:\e2e\brev.txt' ok
  drv "click 1001" ok
  file_dialog "Välj mottagarens certifikat..." alice.certificate
  expect_dialog "Godkännande av certifikat"
  drv "text 1087" "text Test CA"
  drv "click 1057" ok
  file_dialog "Välj plats för den krypterade filen..." brev.txt.encrypted
  finished
  drv 'settext 1006 C:\e2e\brev.txt.encrypted' ok
  drv "click 1002" ok
  file_dialog "Välj sändarens certifikat..." alice.certificate
  expect_dialog "Godkännande av certifikat"
  drv "click 1057" ok
  file_dialog "Välj plats för filen..." brev-kopia.txt
  finished
  cmp "$data/brev.txt" "$data/brev-kopia.txt" || fail "decrypted copy differs"

  # Backup, loss of the key pair, restore.
  drv "click 40004" ok
  expect_dialog Nyckelpar
  drv "text 1069" "text Alice nyckel"
  drv "text 1014"
  local fingerprint=${reply#text }
  [[ $fingerprint =~ ^[0-9A-F]{64}$ ]] || fail "fingerprint: $reply"
  drv "click 1011" ok
  drv "gone $E2E_TIMEOUT" gone
  main_window
  drv "click 40027" ok
  box "VARNING! Nyckelparet innehåller den privata nyckel som måste hållas hemlig, lagra det exporterade nyckelparet på en säker plats!" ok
  expect_dialog "Välj plats för säkerhetskopian..."
  drv "text 1148" "text $fingerprint"
  drv 'filename C:\e2e\alice.key_backup' ok
  box "Nyckelparet har säkerhetskopierats!" ok
  # priv_key.bin is locked to the account; its backup is the same pair in plain, to open anywhere.
  cli inspect "$wd/priv_key.bin"
  grep -q "^Skydd: Windows-kontot" "$data/cli.out" || fail "priv_key.bin is not locked: $(cat "$data/cli.out")"
  cli inspect "$data/alice.key_backup"
  grep -q "^Skydd: inget" "$data/cli.out" || fail "the backup is not plain: $(cat "$data/cli.out")"
  grep -q "^Fingerprint: $fingerprint" "$data/cli.out" || fail "the backup holds another key pair"
  rm "$wd/priv_key.bin"

  main_window
  drv "click 40004" ok
  expect_dialog Nyckelpar
  drv "text 1014" "text Nyckel saknas"
  drv "click 1012" ok
  file_dialog "Välj säkerhetskopia..." alice.key_backup
  drv "wait $E2E_TIMEOUT Nyckelpar" "dialog Nyckelpar"
  until_reply "text 1014" "text $fingerprint"
  drv "text 1069" "text Alice nyckel"
  shot
  cli inspect "$wd/priv_key.bin"
  grep -q "^Skydd: Windows-kontot" "$data/cli.out" || fail "the restored pair is not locked: $(cat "$data/cli.out")"
  drv "click 1011" ok
  drv "gone $E2E_TIMEOUT" gone

  # The two dialogs that only inform.
  main_window
  drv "click 40020" ok
  expect_dialog Kryptering
  drv "click 1048" ok
  drv "gone $E2E_TIMEOUT" gone
  main_window
  drv "click 40008" ok
  drv "waitwith $E2E_TIMEOUT 1040 Quillseal" "dialog Quillseal"
  shot
  drv "click 1040" ok
  drv "gone $E2E_TIMEOUT" gone
  main_window
  drv "click 1005" ok
  expect_exit 0
}
