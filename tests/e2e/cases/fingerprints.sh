# Every dialog that shows a fingerprint shows all of its 64 digits, at 96 and at 144 DPI: the
# key pair, the approval of a certificate, of a certification key and of a certification.
# "Whole" is what the edit control itself measures with its own font: its text starts at its
# left edge and ends inside its formatting rectangle (the driver's "fits"). The settings' check
# boxes likewise show their labels whole, clear of each other, at both DPIs ("labelfits").

wd=$E2E_USER_DIR/AppData/Local/QS_wd
data=$WINEPREFIX/drive_c/e2e
program=$(windows_path "$E2E_BIN/app/win32/quillseal.exe")

setup_each() {
  [[ -n ${E2E_NATIVE_CLI:-} ]] || fail "the native quillseal-cli is needed"
  rm -rf "$wd" "$data"
  mkdir -p "$data"
}

# at_dpi N: the prefix's screen at N pixels per inch from the next program on. The server
# is restarted so that no process of the prefix keeps the old value.
at_dpi() {
  local key
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    "$E2E_WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 || fail "LogPixels $1"
  done
  "$E2E_WINESERVER" -k >/dev/null 2>&1
  "$E2E_WINESERVER" -w >/dev/null 2>&1
  "$E2E_WINESERVER" -p
}

# whole_fingerprint ID: the control holds a fingerprint, and all of it shows.
whole_fingerprint() {
  drv "text $1"
  [[ $reply =~ ^"text "[0-9A-F]{64}$ ]] || fail "fingerprint: $reply"
  drv "fits $1"
  [[ $reply =~ ^"fits yes " ]] || fail "fingerprint $1 does not show whole: $reply"
}

# The user's key pair and certificate, certified by an authority the program does not trust
# yet, so that the approval lists a certification with the longest status.
keys_and_authority() {
  cli --workdir "$data/ca" ca create --organisation "Test CA" -o "$data/ca"
  cli --workdir "$wd" keygen --name "Alice nyckel"
  cli --workdir "$wd" key export -o "$data/alice.public_key"
  cli --workdir "$data/ca" ca certify --public-key "$data/alice.public_key" --ca-key "$data/ca.private_cert_key" \
    --field "Namn=Alice Åström" -o "$data/alice.certification"
  cli --workdir "$wd" certificate create "$data/alice.certification" -o "$data/alice.certificate"
  printf 'Ett dokument.\n' >"$data/doc.txt"
}

every_fingerprint_shows_whole() {
  at_dpi "$1"
  keys_and_authority
  driver_start
  drv "start \"$program\"" started
  main_window

  drv "click 40004" ok
  expect_dialog Nyckelpar
  whole_fingerprint 1014
  drv "click 1011" ok
  main_window

  drv "click 40023" ok
  expect_dialog "Betrodda certifieringsnycklar"
  drv "click 1035" ok
  file_dialog "Välj publik certifieringsnyckel..." ca.public_cert_key
  expect_dialog "Godkännande av certifieringsnyckel"
  whole_fingerprint 1107
  drv "click 1104" ok
  drv "wait $E2E_TIMEOUT Betrodda certifieringsnycklar" "dialog Betrodda certifieringsnycklar"
  drv "click 1033" ok
  main_window

  drv 'settext 1006 C:\e2e\doc.txt' ok
  drv "click 1001" ok
  file_dialog "Välj mottagarens certifikat..." alice.certificate
  expect_dialog "Godkännande av certifikat"
  whole_fingerprint 1063
  drv "click 1058" ok
  drv "waitbox $E2E_TIMEOUT Quillseal" "box Quillseal"
  drv "answer ok" ok
  main_window

  drv "click 40014" ok
  expect_dialog "Certifiera nyckel"
  drv 'settext 1023 C:\e2e\alice.public_key' ok
  drv 'settext 1028 C:\e2e\ca.private_cert_key' ok
  drv "settext 1055 Namn" ok
  drv "settext 1056 Alice Åström" ok
  drv "click 1027" ok
  until_reply "text 1055" "text "
  drv "click 1021" ok
  expect_dialog "Godkännande av certifiering"
  whole_fingerprint 1094
  drv "click 1092" ok
  drv "wait $E2E_TIMEOUT Certifiera nyckel" "dialog Certifiera nyckel"
  drv "click 1020" ok
  main_window

  drv "click 1005" ok
  expect_exit 0
}

every_setting_shows_whole() {
  at_dpi "$1"
  cli --workdir "$wd" keygen --name "Alice nyckel"
  driver_start
  drv "start \"$program\"" started
  main_window
  drv "click 40029" ok
  expect_dialog Inställningar
  drv "press 1110" ok
  local id
  for id in 1077 1110; do
    drv "labelfits $id"
    [[ $reply =~ ^"labelfits yes " ]] || fail "check box $id does not show whole: $reply"
  done
  shot
  drv "click 1073" ok
  main_window
  drv "click 1005" ok
  expect_exit 0
}

case_every_setting_shows_whole_at_96_dpi() {
  every_setting_shows_whole 96
}

case_every_setting_shows_whole_at_144_dpi() {
  every_setting_shows_whole 144
}

case_every_fingerprint_shows_whole_at_96_dpi() {
  every_fingerprint_shows_whole 96
}

case_every_fingerprint_shows_whole_at_144_dpi() {
  every_fingerprint_shows_whole 144
}
