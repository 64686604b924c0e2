# Helpers for the cases of several processes (cases.sh), beside those of tests/full_disk/lib.sh,
# whose fixtures they share: an authority that alice and bob trust, their certificates and
# alice's files for bob. The large file for the stopped decryptions lies outside $home, so
# that checking the fixtures after each case does not hash it.

big=$work/big

# One large file encrypted for bob, made on first use: long enough to decrypt that a signal
# arrives while it runs.
big_encrypted() {
  if [[ ! -e $big/data.encrypted ]]; then
    mkdir -p "$big"
    head -c $((256 * 1024 * 1024)) /dev/urandom >"$big/data" || fail "no room for the large file"
    expect_status 0 --workdir "$home/alice" --yes --expect-field Namn=bob encrypt --to "$home/bob.certificate" "$big/data" \
      -o "$big/data.encrypted" >&2
  fi
  echo "$big/data.encrypted"
}

# A copy of someone's working folder, to change without touching the fixtures.
working_copy() {
  cp -r "$home/$1" "$2" || fail "cannot copy $1's folder"
}

# wait_for_temporary DIR PID: waits while PID runs (at most 20 s) until a temporary file
# appears in DIR, and prints its name.
wait_for_temporary() {
  local deadline=$((SECONDS + 20)) name
  while ((SECONDS < deadline)) && kill -0 "$2" 2>/dev/null; do
    for name in "$1"/*.qs-tmp-*; do
      [[ -e $name ]] && { echo "$name"; return 0; }
    done
    sleep 0.01
  done
  fail "no temporary file appeared in $1"
}

# stop_decryption SIGNAL: starts decrypting the large file, sends SIGNAL once its temporary
# file exists, and checks that the command ends as interrupted, leaving nothing behind.
stop_decryption() {
  local source pid temporary mode status
  big_encrypted >/dev/null
  source=$(big_encrypted)
  mkdir out
  "$cli" --quiet --workdir "$home/bob" --yes --expect-field Namn=alice decrypt --from "$home/alice.certificate" "$source" -o out/data \
    </dev/null >"stdout" 2>"stderr" &
  pid=$!
  temporary=$(wait_for_temporary out "$pid")
  mode=$(stat -c %a "$temporary" 2>/dev/null || echo gone)
  kill "-$1" "$pid"
  wait "$pid"
  status=$?
  [[ $mode == 600 || $mode == gone ]] || fail "the growing plaintext had mode $mode"
  expect_eq "$status" 130 "exit status after SIG$1 ($(cat stderr))"
  expect_no_temporary out
  [[ ! -e out/data ]] || fail "a partial output is left"
}
