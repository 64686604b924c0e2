# The cases of several processes at once, and of decryptions stopped from outside. Helpers in
# lib.sh and ../full_disk/lib.sh.

# keyid_in OUTPUT: the first Nyckel-ID quillseal-cli printed.
keyid_in() { sed -n 's/^ *Nyckel-ID: *//p' <<<"$1" | head -1; }

# Six authorities' keys added at once: each reported success, so each is in the list.
case_concurrent_trust_adds_keep_every_key() {
  local i pids=() fingerprints=()
  working_copy alice wd
  for i in 1 2 3 4 5 6; do
    expect_status 0 --workdir ca ca create --organisation "CA $i" --bits 2048 -o "ca$i"
    expect_status 0 inspect "ca$i.public_cert_key"
    fingerprints+=("$(fingerprint_in "$out")")
  done
  for i in 1 2 3 4 5 6; do
    "$cli" --quiet --workdir wd --expect-fingerprint "${fingerprints[i - 1]}" trust add "ca$i.public_cert_key" \
      </dev/null >"add$i.out" 2>&1 &
    pids+=($!)
  done
  for i in 1 2 3 4 5 6; do wait "${pids[i - 1]}" || fail "trust add $i failed: $(<"add$i.out")"; done
  expect_status 0 --workdir wd trust list
  for i in 1 2 3 4 5 6; do expect_output "Organisation: CA $i"; done
}

# A removal and an addition at once, round after round: the removed key never comes back.
case_trust_remove_against_trust_add() {
  local round removing adding
  expect_status 0 --workdir ca ca create --organisation "Old CA" --bits 2048 -o old
  expect_status 0 inspect old.public_cert_key
  local old_fingerprint old_id
  old_fingerprint=$(fingerprint_in "$out")
  old_id=$(keyid_in "$out")
  expect_status 0 --workdir ca ca create --organisation "New CA" --bits 2048 -o new
  expect_status 0 inspect new.public_cert_key
  local new_fingerprint
  new_fingerprint=$(fingerprint_in "$out")
  for round in $(seq 10); do
    rm -rf wd
    working_copy alice wd
    expect_status 0 --workdir wd --expect-fingerprint "$old_fingerprint" trust add old.public_cert_key
    "$cli" --quiet --workdir wd trust remove "$old_id" </dev/null >"remove.out" 2>&1 &
    removing=$!
    "$cli" --quiet --workdir wd --expect-fingerprint "$new_fingerprint" trust add new.public_cert_key \
      </dev/null >add.out 2>&1 &
    adding=$!
    wait "$removing" || fail "round $round: remove failed: $(cat remove.out)"
    wait "$adding" || fail "round $round: add failed: $(cat add.out)"
    expect_status 0 --workdir wd trust list
    [[ $out != *"Old CA"* ]] || fail "round $round: the removed key is trusted again"
    expect_output "New CA"
    expect_output "Test CA"
  done
}

# Two key generations at once without --force: one wins, the other says a key pair exists,
# and the stored pair is the winner's.
case_two_keygens_one_wins_and_the_other_says_so() {
  local first second a b winner
  mkdir wd
  "$cli" --quiet --workdir wd keygen --name first --encryption-bits 2048 --signing-bits 2048 </dev/null >"first.out" 2>&1 &
  first=$!
  "$cli" --quiet --workdir wd keygen --name second --encryption-bits 2048 --signing-bits 2048 </dev/null >"second.out" 2>&1 &
  second=$!
  wait "$first"
  a=$?
  wait "$second"
  b=$?
  [[ $((a + b)) == 1 ]] || fail "exit statuses $a and $b: $(cat first.out) $(cat second.out)"
  winner=first
  [[ $a == 0 ]] || winner=second
  local loser=second
  [[ $winner == first ]] || loser=first
  grep -q "Det finns redan ett lagrat nyckelpar" "$loser.out" || fail "the loser said: $(<"$loser.out")"
  expect_status 0 --workdir wd key show
  expect_output "Nyckelns namn: $winner"
  expect_output "Fingerprint: $(sed -n 's/^Fingerprint: //p' "$winner.out")"
}

case_a_hangup_during_a_large_decryption_leaves_nothing() { stop_decryption HUP; }

case_sigquit_during_a_large_decryption_leaves_nothing() { stop_decryption QUIT; }

# A reader that goes away makes the lines fail, not the decryptions: both outputs are whole,
# no temporary file is left, and the command says that its output did not arrive.
case_a_closed_stdout_during_large_decryptions() {
  local source status
  source=$(big_encrypted)
  mkdir out
  "$cli" --quiet --workdir "$home/bob" --yes --expect-field Namn=alice decrypt --from "$home/alice.certificate" "$source" \
    "$home/data.bin.encrypted" -o out </dev/null 2>stderr | true
  status=${PIPESTATUS[0]}
  expect_eq "$status" 1 "exit status with stdout closed ($(cat stderr))"
  grep -q "Kunde inte skriva till standard ut." stderr || fail "not told: $(cat stderr)"
  expect_no_temporary out
  cmp -s "$big/data" out/data || fail "the large output is not whole"
  cmp -s "$home/data.bin" out/data.bin || fail "the second output is not whole"
}

# Ctrl-C at a question on a terminal stops the command as Ctrl-C stops it anywhere: 130, and
# nothing written.
case_ctrl_c_at_a_question_is_an_interruption() {
  local status
  echo hej >f.txt
  # Debian's python3 (scripts/deps) gives the command a terminal of its own.
  status=$(/usr/bin/python3 - "$cli" "$home/alice" "$home/bob.certificate" f.txt <<'PY'
import os, pty, signal, sys, time
cli, workdir, certificate, source = sys.argv[1:]
pid, fd = pty.fork()
if pid == 0:
    os.execv(cli, [cli, "--workdir", workdir, "encrypt", "--to", certificate, source])
seen = b""
deadline = time.time() + 20
while b"[j/N]" not in seen and time.time() < deadline:
    try:
        seen += os.read(fd, 4096)
    except OSError:
        break
os.kill(pid, signal.SIGINT)
_, raw = os.waitpid(pid, 0)
print(os.waitstatus_to_exitcode(raw) if b"[j/N]" in seen else "no question")
PY
  )
  expect_eq "$status" 130 "exit status after Ctrl-C at the question"
  [[ ! -e f.txt.encrypted ]] || fail "encrypted after Ctrl-C"
}

# A passphrase is typed at the terminal without being shown, twice when it is set; Ctrl-C at
# its question stops the command as at any other, with the key pair as it was.
case_a_passphrase_is_typed_unseen_and_ctrl_c_at_it_interrupts() {
  local result
  cp -r "$home/alice" alice
  echo hej >f.txt
  result=$(/usr/bin/python3 - "$cli" "$PWD/alice" f.txt <<'PY'
import os, pty, signal, sys, time
cli, workdir, source = sys.argv[1:]

def run(words, answers, interrupt=False):
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(cli, [cli, "--workdir", workdir] + words)
    seen = b""
    deadline = time.time() + 60
    while time.time() < deadline:
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            break
        if not chunk:
            break
        seen += chunk
        if seen.rstrip().endswith(b":"):
            if interrupt:
                os.kill(pid, signal.SIGINT)
            elif answers:
                os.write(fd, answers.pop(0) + b"\r")
            time.sleep(0.2)
    _, raw = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(raw), seen

status, seen = run(["key", "protect", "--passphrase"], [b"hemlig fras", b"hemlig fras"])
print("protect", status, "shown" if b"hemlig" in seen else "unseen")
status, seen = run(["--quiet", "sign", source, "-o", "typed.signature"], [b"hemlig fras"])
print("sign", status, "shown" if b"hemlig" in seen else "unseen")
status, seen = run(["--quiet", "sign", source, "-o", "interrupted.signature"], [], interrupt=True)
print("interrupted", status)
PY
  )
  expect_eq "$(sed -n 1p <<<"$result")" "protect 0 unseen" "setting the passphrase"
  expect_eq "$(sed -n 2p <<<"$result")" "sign 0 unseen" "signing with the passphrase"
  expect_eq "$(sed -n 3p <<<"$result")" "interrupted 130" "Ctrl-C at the passphrase"
  [[ -e typed.signature ]] || fail "no signature after the right passphrase"
  [[ ! -e interrupted.signature ]] || fail "signed after Ctrl-C"
  "$cli" inspect alice/priv_key.bin | grep -q "^Skydd: lösenfras" || fail "priv_key.bin is not locked"
}
