# quillseal-cli in pipes, natively and as quillseal-cli.exe under Wine: "-" as the input,
# "-o -" as the output, what a piped encryption keeps on the disk, failures at the end of a
# pipe, and decrypt --check. The people, the programs and the checks are cli.sh's.

source "$(dirname "${BASH_SOURCE[0]}")/cli.sh"

# The status of data that was refused (damaged, forged, not for this key).
refused=3

# piped WANT INPUT OUTPUT ARGS...: runs the program with standard input from INPUT and
# standard output to OUTPUT, standard error in $err, and checks the exit status.
piped() {
  local want=$1 input=$2 output=$3
  shift 3
  qs "$@" <"$input" >"$output" 2>"$work/.err"
  local got=$?
  err=$(tr -d '\r' <"$work/.err")
  [[ $got == "$want" ]] || fail "qs $* <$input >$output: exit $got, expected $want; stderr:
$err"
}

# For each size, through a pipe and through the named files both ways; every result opens to
# the same bytes, and the piped file is as long as the named one.
round_trips() {
  local size
  for size in 0 1 2097151 2097152 2097153 52428800; do
    head -c "$size" /dev/urandom >plain
    cat plain | qs --workdir alice "${for_bob[@]}" encrypt --to bob.certificate - -o piped.enc --force 2>"$work/.err" ||
      fail "encrypting $size bytes from a pipe: $(cat "$work/.err")"
    expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate plain -o named.enc --force
    expect_eq "$(stat -c %s piped.enc)" "$(stat -c %s named.enc)" "size of the piped file of $size bytes"
    expect_status 0 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate piped.enc -o opened --force
    cmp -s plain opened || fail "the piped file of $size bytes opened to other bytes"
    piped 0 named.enc streamed --workdir bob "${from_alice[@]}" decrypt --from alice.certificate - -o -
    cmp -s plain streamed || fail "$size bytes decrypted to standard output differ"
    piped 0 piped.enc streamed --workdir bob "${from_alice[@]}" decrypt --from alice.certificate -
    cmp -s plain streamed || fail "the piped file of $size bytes differs on standard output"
  done
  [[ -z $(ls -A | grep qs-tmp) && -z $(ls -A bob alice | grep qs-tmp) ]] || fail "left behind: $(ls -A . alice bob)"
}

case_native_round_trips_through_pipes() {
  use native
  make_people
  round_trips
}

case_windows_round_trips_through_pipes() {
  use windows
  make_people
  round_trips
}

# Signing standard input to standard output, and verifying standard input.
case_signatures_of_standard_input() {
  use native
  make_people
  printf 'Rapport om räksmörgåsar\n' >report.txt
  piped 0 report.txt report.sig --workdir alice sign -
  expect_status 0 --workdir bob "${from_alice[@]}" verify --from alice.certificate report.txt report.sig
  piped 0 report.txt verified --workdir bob "${from_alice[@]}" verify --from alice.certificate - report.sig
  grep -qx "Signaturen OK." verified || fail "standard input did not verify: $(cat verified)"
  printf 'other\n' >other.txt
  piped "$refused" other.txt verified --workdir bob "${from_alice[@]}" verify --from alice.certificate - report.sig
}

# A damaged second chunk: the first goes out, then the failure and its message.
case_a_damaged_chunk_fails_at_the_end_of_a_pipe() {
  use native
  make_people
  head -c 5000000 /dev/urandom >plain
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate plain -o sealed.enc
  printf 'X' | dd of=sealed.enc bs=1 seek=3000000 conv=notrunc 2>/dev/null
  piped "$refused" sealed.enc streamed --workdir bob "${from_alice[@]}" decrypt --from alice.certificate - -o -
  [[ $err == *"skadad eller ändrad (del 2 av 3)"* ]] || fail "no message of the damage: $err"
  expect_eq "$(stat -c %s streamed)" 2097152 "bytes out before the damage"
}

# While a slow writer feeds the pipe, what waits beside the target is sealed: the plain text's
# marker is in none of the files there.
case_a_piped_encryption_puts_no_plaintext_on_the_disk() {
  use native
  make_people
  mkdir out
  {
    for _ in $(seq 40); do
      yes 'HEMLIG-MARKÖR i klartext' | head -c 262144
      sleep 0.05
    done
  } | "$native" --quiet --workdir alice "${for_bob[@]}" encrypt --to bob.certificate --no-compress - -o out/sealed.enc \
    >/dev/null 2>&1 &
  local pid=$! seen=0
  while kill -0 "$pid" 2>/dev/null; do
    if ls out | grep -q qs-tmp; then
      seen=1
      ! grep -qa 'HEMLIG-MARKÖR' out/* 2>/dev/null || fail "plain text on the disk: $(ls out)"
    fi
    sleep 0.02
  done
  wait "$pid" || fail "the piped encryption failed"
  expect_eq "$seen" 1 "a temporary file was seen"
  ! grep -qa 'HEMLIG-MARKÖR' out/sealed.enc || fail "plain text in the sealed file"
  expect_status 0 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate out/sealed.enc -o opened
  expect_eq "$(stat -c %s opened)" $((40 * 262144)) "bytes that went through the pipe"
}

# check_files FORMAT: --check on a sound, damaged, truncated and wrong-key file of the format.
check_files() {
  head -c 3000000 /dev/urandom >plain
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate --format "$1" plain -o sound.enc
  cp sound.enc damaged.enc
  printf 'X' | dd of=damaged.enc bs=1 seek=2500000 conv=notrunc 2>/dev/null
  head -c 2000000 sound.enc >truncated.enc
  expect_status 0 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate --check sound.enc
  expect_output "sound.enc: hel"
  local file
  for file in damaged.enc truncated.enc; do
    expect_status "$refused" --workdir bob "${from_alice[@]}" decrypt --from alice.certificate --check "$file"
  done
  expect_status "$refused" --workdir alice "${from_alice[@]}" decrypt --from alice.certificate --check sound.enc
  piped 0 sound.enc checked --workdir bob "${from_alice[@]}" decrypt --from alice.certificate --check -
  expect_eq "$(tail -1 checked)" "-: hel" "checking standard input"
  expect_status 2 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate --check sound.enc -o x
  expect_eq "$(ls | grep -v -e '^alice' -e '^bob' -e '^ca')" "$(printf 'checked\ndamaged.enc\nplain\nsound.enc\ntruncated.enc')" \
    "files after the checks"
}

case_check_native_files() {
  use native
  make_people
  check_files quillseal
}

case_check_oki_files() {
  use native
  make_people
  check_files oki
}

case_stream_usage_errors_exit_2() {
  use native
  make_people
  echo hej >f.txt
  expect_status 2 --workdir bob "${from_alice[@]}" decrypt --from alice.certificate - -
  expect_output "standard in (-) kan bara läsas en gång per kommando"
  expect_status 2 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate f.txt - -o out
  expect_status 2 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate f.txt f.txt -o -
  expect_status 2 --workdir bob "${from_alice[@]}" verify --from alice.certificate f.txt -
  # A file named "-" is reached as ./-.
  echo hej >./-
  expect_status 0 --workdir alice "${for_bob[@]}" encrypt --to bob.certificate ./-
  [[ -f ./-.encrypted ]] || fail "./- was not encrypted: $(ls)"
}
