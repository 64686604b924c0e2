# quillseal-cli as a user runs it: the whole story of two users and one authority, natively
# and as quillseal-cli.exe under Wine, files crossing between the two builds, several files in
# one command, approvals, overwrites, usage errors and an interrupted encryption. Every case works in a fresh folder.

native=${E2E_NATIVE_CLI:?the native quillseal-cli is needed}
exe=$E2E_BIN/cli/quillseal-cli.exe

setup_each() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/qs-cli.XXXXXX")
  cd "$work" || fail "no folder"
  trap 'rm -rf "$work"' EXIT
}

# The program under test: "native" or "windows".
use() { flavour=$1; }
qs() {
  if [[ $flavour == native ]]; then "$native" --quiet "$@"; else "$E2E_WINE" "$exe" --quiet "$@"; fi
}

# expect_status N COMMAND...: runs a command of the program with no terminal, keeps its
# output in $out (stdout and stderr), and checks the exit status.
expect_status() {
  local want=$1
  shift
  # A file, not a pipe: Wine's services inherit the output and would keep a pipe open.
  qs "$@" </dev/null >"$work/.out" 2>&1
  local got=$?
  out=$(tr -d '\r' <"$work/.out")
  [[ $got == "$want" ]] || fail "qs $*: exit $got, expected $want; output:
$out"
}
expect_output() { [[ $out == *"$1"* ]] || fail "output lacks '$1':
$out"; }

# --yes approves a certificate only for whom the command expects.
for_bob=(--yes --expect-field "Namn=bob Åström")
from_alice=(--yes --expect-field "Namn=alice Åström")

# Keys for alice and bob, an authority that both trust and that certifies both.
make_people() {
  expect_status 0 --workdir ca ca create --organisation "Test CA" -o ca
  for who in alice bob; do
    expect_status 0 --workdir "$who" keygen --name "$who key"
    expect_status 0 --workdir "$who" key export -o "$who.public_key"
    expect_status 0 inspect ca.public_cert_key
    expect_status 0 --workdir "$who" --expect-fingerprint "$(fingerprint_in "$out")" trust add ca.public_cert_key
    expect_status 0 --workdir ca --yes ca certify --public-key "$who.public_key" --ca-key ca.private_cert_key \
      --field "Namn=$who Åström" --field "E-post=$who@example.se" --field "Land=Sverige" -o "$who.certification"
    expect_status 0 --workdir "$who" certificate create "$who.certification" -o "$who.certificate"
  done
}

# Everything a user does with the keys of make_people; $1 and $2 pick the builds that
# write and read the files.
story() {
  local writer=$1 reader=$2
  rm -f ./*.encrypted ./*.oki ./*.out ./*.signature
  head -c 3000000 /dev/urandom >data.bin
  printf 'Rapport om räksmörgåsar\n%.0s' $(seq 2000) >report.txt
  use "$writer"
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate data.bin
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate --compress report.txt -o report.z.encrypted
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate --compress=strong report.txt -o report.s.encrypted
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate --format oki report.txt -o report.oki
  expect_status 0 --workdir alice sign report.txt --message "Hälsningar från Åsa"
  use "$reader"
  expect_status 0 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate data.bin.encrypted -o data.out
  cmp data.bin data.out || fail "data.bin changed on the way"
  expect_status 0 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate report.z.encrypted -o report.z.out
  cmp report.txt report.z.out || fail "compressed report changed"
  expect_status 0 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate report.s.encrypted -o report.s.out
  cmp report.txt report.s.out || fail "strongly compressed report changed"
  expect_status 0 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate report.oki -o report.oki.out
  cmp report.txt report.oki.out || fail "OKI report changed"
  expect_status 0 --workdir bob "${from_alice[@]}" verify --from alice.certificate report.txt report.txt_alice_key.signature
  expect_output "Signaturen OK."
  expect_output "Meddelande: Hälsningar från Åsa"
  # Tampering is caught and leaves nothing behind. The byte is inverted: a fixed new value
  # would leave the file as it was whenever the byte already had it.
  local byte
  byte=$(od -An -tu1 -j2000000 -N1 data.bin.encrypted)
  printf "\\$(printf %03o $((255 - byte)))" | dd of=data.bin.encrypted bs=1 seek=2000000 conv=notrunc 2>/dev/null
  expect_status 3 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate data.bin.encrypted -o tampered.out
  expect_output "Fel vid läsning av källfilen."
  [[ ! -e tampered.out ]] || fail "a tampered file left output"
  echo "ändrad" >>report.txt
  expect_status 3 --workdir bob "${from_alice[@]}" verify --from alice.certificate report.txt report.txt_alice_key.signature
  expect_output "Signaturen stämmer ej mot den valda filen."
  # The wrong sender is refused.
  expect_status 3 --workdir bob "${for_bob[@]}" decrypt --from bob.certificate report.oki -o wrong.out
  expect_output "Fel vid dekryptering av fil, kontrollera sändarens certifikat."
  [[ -z $(ls -A | grep -E 'qs-tmp') ]] || fail "temporary files left: $(ls -A)"
}

# Several files in one command: one approval, a line each, the failed one does not stop the
# others, and the outputs go into the folder -o names.
several_files() {
  rm -rf several opened
  expect_status 1 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate data.bin missing.bin report.txt -o several
  expect_output "data.bin: krypterad till several"
  expect_output "missing.bin: Fel vid läsning av källfilen."
  expect_status 0 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate several/data.bin.encrypted \
    several/report.txt.encrypted -o opened
  cmp data.bin opened/data.bin || fail "data.bin changed on the way"
  cmp report.txt opened/report.txt || fail "report.txt changed on the way"
}

case_native_story() {
  use native
  make_people
  story native native
  several_files
  expect_status 0 --workdir alice key backup -o alice.key_backup
  expect_status 0 --workdir alice key show
  local before=$out
  expect_status 0 --workdir alice keygen --name other --force
  expect_status 0 --workdir alice key restore alice.key_backup --force
  expect_status 0 --workdir alice key show
  expect_eq "$out" "$before" "key pair after restore"
  expect_status 3 --workdir alice key restore report.txt_alice_key.signature --force
  expect_output "Fel: Kunde inte läsa säkerhetskopian."
}

case_windows_story() {
  use windows
  make_people
  story windows windows
  several_files
}

case_files_cross_between_the_builds() {
  use native
  make_people
  story native windows
  story windows native
}

case_approval_needs_a_terminal_an_expectation_or_the_right_fingerprint() {
  use native
  make_people
  echo hej >f.txt
  expect_status 4 --workdir alice encrypt --to bob.certificate f.txt
  expect_output "Godkännande krävs"
  [[ ! -e f.txt.encrypted ]] || fail "encrypted without approval"
  expect_status 0 --workdir bob key show
  local fingerprint=${out##*Fingerprint: }
  expect_status 4 --workdir alice --expect-fingerprint 00 encrypt --to bob.certificate f.txt
  expect_output "stämmer inte"
  expect_status 0 --workdir alice --expect-fingerprint "${fingerprint,,}" encrypt --to bob.certificate f.txt
  [[ -s f.txt.encrypted ]] || fail "no encrypted file"
  # --yes approves only whom the command expects, as a trusted authority certified it, and
  # never a new trusted key.
  expect_status 4 --workdir alice --yes encrypt --to bob.certificate f.txt -o g.encrypted
  expect_output "--yes godkänner ett certifikat bara när kommandot också säger vem det väntar sig"
  expect_status 4 --workdir alice --yes --expect-field "Namn=alice Åström" encrypt --to bob.certificate f.txt \
    -o g.encrypted
  expect_output "Ingen certifiering av en betrodd certifieringsnyckel har fälten i --expect-field"
  expect_status 0 --workdir bob certificate create -o uncertified.certificate
  expect_status 4 --workdir alice "${for_bob[@]}" encrypt --to uncertified.certificate f.txt -o g.encrypted
  expect_output "Ingen certifiering av en betrodd certifieringsnyckel har fälten i --expect-field"
  [[ ! -e g.encrypted ]] || fail "encrypted on --yes for someone the command did not expect"
  expect_status 0 --workdir alice "${for_bob[@]}" --expect-field "Land=Sverige" encrypt --to bob.certificate \
    f.txt -o g.encrypted
  [[ -s g.encrypted ]] || fail "no encrypted file for the expected certificate"
  expect_status 4 --workdir alice --yes trust add ca.public_cert_key
  expect_output "--yes räcker inte"
  expect_status 4 --workdir alice trust add ca.public_cert_key
  expect_output "ange certifieringsnyckelns fingerprint med --expect-fingerprint."
  [[ $out != *--yes* ]] || fail "trust add without a terminal suggests --yes: $out"
}

case_outputs_are_not_overwritten_without_force() {
  use native
  make_people
  echo hej >f.txt
  echo old >f.txt.encrypted
  expect_status 1 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate f.txt
  expect_output "--force"
  expect_eq "$(cat f.txt.encrypted)" old "existing file"
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate f.txt --force
  expect_status 1 --workdir alice keygen --name again
  expect_output "Det finns redan ett lagrat nyckelpar."
}

case_usage_errors_exit_2() {
  use native
  expect_status 2 frobnicate
  expect_status 2
  expect_status 2 encrypt
  expect_status 2 verify --from x.certificate a b c
  expect_status 2 decrypt --from x.certificate a.encrypted b
  expect_status 2 keygen --name x --signing-bits 1024
  expect_status 2 settings --format zip
  expect_status 2 key
  expect_status 0 key --help
  expect_output "key show"
  expect_status 0 encrypt --help
  expect_output "--to FIL.certificate"
  expect_status 0 --help
  expect_output "64 byte från operativsystemets"
}

case_interrupted_encryption_leaves_nothing_behind() {
  use native
  make_people
  head -c 400000000 /dev/zero >big.bin
  "$native" --quiet --workdir alice "${for_bob[@]}" encrypt --to bob.certificate big.bin </dev/null >/dev/null 2>&1 &
  local pid=$!
  # Interrupt while the temporary file exists, however fast this machine encrypts.
  local tries=0
  until ls -A | grep -q qs-tmp; do
    ((++tries < 1000)) || fail "the encryption never started writing"
    sleep 0.01
  done
  kill -INT "$pid"
  wait "$pid"
  expect_eq "$?" 130 "exit status after Ctrl-C"
  [[ -z $(ls -A | grep -E 'big.bin.encrypted|qs-tmp') ]] || fail "left behind: $(ls -A)"
}

case_inspect_names_every_kind_of_file() {
  use native
  make_people
  echo hej >f.txt
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate f.txt
  expect_status 0 inspect f.txt.encrypted
  expect_output "Krypterad fil (Quillseal-format)"
  expect_status 0 inspect bob.certificate
  expect_output "Namn: bob Åström"
  expect_status 0 inspect ca.private_cert_key
  expect_output "Organisation: Test CA"
  expect_status 1 inspect f.txt
  expect_output "Okänd filtyp"
}

# json_check FILE PYTHON: parses every line of FILE as JSON into the list `lines` and runs
# the Python assertions on it, with Debian's python3 (scripts/deps), whatever else is on PATH.
json_check() {
  /usr/bin/python3 - "$1" "$2" <<'PY' || fail "JSON in $1: $(cat "$1")"
import json, sys
lines = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8").read().splitlines()]
exec(sys.argv[2])
PY
}

# What a script reads: every exit status for real, and the --json of each command that has
# it, parsed, natively and under Wine.
case_scripts_read_statuses_and_json() {
  local flavour
  for flavour in native windows; do
    use "$flavour"
    rm -rf out alice bob ca ./*.certificate ./*.certification ./*.public_key* ./*.public_cert_key ./*.private_cert_key
    make_people
    printf 'rad\n%.0s' $(seq 100) >f.txt
    expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate f.txt --force
    qs --workdir alice "${for_bob[@]}" encrypt --json --to bob.certificate f.txt missing.txt -o out \
      </dev/null >enc.json 2>/dev/null
    expect_eq "$?" 1 "status of a batch with a missing file"
    json_check enc.json '
assert [l["outcome"] for l in lines] == ["ok", "failed"], lines
assert lines[0]["input"] == "f.txt" and lines[0]["output"].replace("\\", "/") == "out/f.txt.encrypted"
assert lines[1]["status"] == 1 and "missing.txt" in lines[1]["cause"]'
    expect_status 0 --workdir alice sign --message "för bob" f.txt -o f.signature --force
    qs --workdir bob "${from_alice[@]}" verify --json --from bob.certificate --from alice.certificate \
      f.txt f.signature </dev/null >ver.json 2>/dev/null
    expect_eq "$?" 0 "status of a verification among two senders"
    expect_status 0 --workdir alice key show
    local alice_fingerprint=${out##*Fingerprint: }
    json_check ver.json "
l = lines[0]
assert l['outcome'] == 'ok' and l['status'] == 0 and l['message'] == 'för bob', l
assert l['signer'] == '$alice_fingerprint' and l['sender'] == 'alice.certificate', l
assert len(l['time']) == 16, l"
    # 3: refused data; 4: not approved.
    printf x >>f.txt
    expect_status 3 --workdir bob "${from_alice[@]}" verify --from alice.certificate f.txt f.signature
    expect_status 4 --workdir bob decrypt --from alice.certificate out/f.txt.encrypted -o none.txt
    [[ ! -e none.txt ]] || fail "decrypted without approval"
    expect_status 2 --workdir nowhere key show
    expect_output "Arbetsmappen i --workdir finns inte: nowhere"
    [[ ! -e nowhere ]] || fail "a mistyped --workdir was made"
    expect_status 2 --workdir alice keygen --name "Łukasz" --force
    expect_output 'tecknet "Ł" (U+0141)'

    qs --workdir alice key show --json </dev/null >key.json 2>/dev/null || fail "key show --json"
    json_check key.json "assert lines[0]['fingerprint'] == '$alice_fingerprint' and lines[0]['name'] == 'alice key', lines"
    qs --workdir alice trust list --json </dev/null >trust.json 2>/dev/null || fail "trust list --json"
    json_check trust.json "assert [l['organisation'] for l in lines] == ['Test CA'] and len(lines[0]['keyId']) == 16, lines"
    qs inspect --json out/f.txt.encrypted </dev/null >inspect.json 2>/dev/null || fail "inspect --json"
    json_check inspect.json "
r = {row['label']: row['value'] for row in lines[0]['rows']}
assert lines[0]['kind'].startswith('Krypterad fil') and r['Mottagare'] == '1', lines
assert r['Avsändare'].startswith('anges inte i filen'), r"
  done
}

# Ten correspondents: the one who sent the file is found, approved alone and named.
case_the_sender_is_found_among_ten_certificates() {
  use native
  make_people
  local i froms=()
  for i in $(seq 1 8); do
    expect_status 0 --workdir "p$i" keygen --name "p$i" --encryption-bits 2048 --signing-bits 2048
    expect_status 0 --workdir "p$i" key export -o "p$i.public_key"
    expect_status 0 --workdir ca --yes ca certify --public-key "p$i.public_key" --ca-key ca.private_cert_key \
      --field "Namn=p$i" -o "p$i.certification"
    expect_status 0 --workdir "p$i" certificate create "p$i.certification" -o "p$i.certificate"
    froms+=(--from "p$i.certificate")
  done
  echo hej >f.txt
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate f.txt
  expect_status 0 --workdir bob "${from_alice[@]}" decrypt "${froms[@]:0:8}" --from alice.certificate \
    "${froms[@]:8}" --from bob.certificate f.txt.encrypted -o opened.txt
  expect_output "Avsändare: alice.certificate"
  cmp -s f.txt opened.txt || fail "not decrypted"
  expect_status 3 --workdir bob "${from_alice[@]}" decrypt "${froms[@]}" --from bob.certificate f.txt.encrypted \
    -o again.txt
  [[ ! -e again.txt ]] || fail "decrypted without its sender"
}

# On Windows a new key pair is locked to the account: it works in its own prefix and in no
# other, and says so. A plain pair of an earlier build still works and key protect locks it;
# a passphrase travels with the file.
case_windows_keys_are_locked_to_the_account() {
  echo hej >f.txt
  echo "en lösenfras" >pass.txt
  use windows
  expect_status 0 --workdir locked keygen --name "locked key"
  expect_status 0 inspect locked/priv_key.bin
  expect_output "Skydd: Windows-kontot på den dator som skrev filen"
  expect_status 0 --workdir locked sign f.txt -o locked.signature
  use native
  expect_status 0 --workdir plain keygen --name "plain key"
  use windows
  expect_status 0 --workdir plain sign f.txt -o plain.signature
  expect_status 0 --workdir plain key protect
  expect_output "Nyckelparet är skyddat av ditt Windows-konto på den här datorn."
  expect_status 0 inspect plain/priv_key.bin
  expect_output "Skydd: Windows-kontot"
  expect_status 0 --workdir plain sign f.txt -o plain.signature --force
  use native
  expect_status 3 --workdir plain sign f.txt -o native.signature
  expect_output "nyckeln är låst till ett Windows-konto och kan bara öppnas av det kontot på den datorn"
  use windows
  expect_status 0 --passphrase-file pass.txt --workdir portable keygen --name "portable key" --passphrase
  # Another prefix is another machine: its own MachineGuid.
  local own=$WINEPREFIX
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/qs-e2e-other.XXXXXX")
  WINEDLLOVERRIDES="mscoree,mshtml=" "$E2E_WINE" wineboot -i >/dev/null 2>&1
  expect_status 3 --workdir locked sign f.txt -o elsewhere.signature
  expect_output "nyckeln är låst till ett annat Windows-konto eller en annan dator och kan inte öppnas här"
  expect_status 0 --passphrase-file pass.txt --workdir portable sign f.txt -o portable.signature
  "$E2E_WINESERVER" -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  WINEPREFIX=$own
  [[ ! -e elsewhere.signature ]] || fail "signed with a key locked to another machine"
  use native
  expect_status 0 --passphrase-file pass.txt --workdir portable sign f.txt -o native.signature
}
