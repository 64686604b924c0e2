# Helpers for the full-disk cases (cases.sh). A case is a function case_NAME; it runs in a
# subshell inside its own empty folder, with $cli (the native quillseal-cli), $home (the
# fixtures of make_fixtures) and $work set, and fails by exiting non-zero. Every tmpfs it
# mounts is unmounted after it, whatever its end.

page=$(getconf PAGESIZE)

source "$(dirname "${BASH_SOURCE[0]}")/../support/expect.sh"

# expect_status N ARGS...: runs quillseal-cli with no terminal, keeps its output (stdout and
# stderr) in $out and checks the exit status.
expect_status() {
  local want=$1
  shift
  "$cli" --quiet "$@" </dev/null >"$work/out" 2>&1
  local got=$?
  out=$(<"$work/out")
  echo "quillseal-cli $* => $got: $out"
  [[ $got == "$want" ]] || fail "quillseal-cli $*: exit $got, expected $want; output:
$out"
}

expect_output() {
  [[ $out == *"$1"* ]] || fail "output lacks '$1':
$out"
}

# The room a file of n bytes takes on a tmpfs: whole pages.
pages_for() { echo $((($1 + page - 1) / page * page)); }

size_of() { stat -c %s "$1"; }

free_bytes() { df --output=avail -B1 "$1" | tail -1 | tr -d ' '; }

# disk DIR BYTES [OPTIONS]: mounts a tmpfs of that size (rounded up to whole pages) on DIR,
# with more mount options if given.
disk() {
  mkdir -p "$1"
  mount -t tmpfs -o "size=$2,mode=0755${3:+,$3}" tmpfs "$1" || fail "cannot mount a tmpfs on $1"
}

# fill DIR [LEAVE]: takes all free room of DIR's file system but LEAVE bytes (whole pages)
# with a new file of zeros (filler1, filler2...), and checks that exactly that much is left.
fill() {
  local dir=$1 leave=${2:-0} avail n=1
  while [[ -e $dir/filler$n ]]; do n=$((n + 1)); done
  avail=$(free_bytes "$dir")
  [[ $avail -ge $leave ]] || fail "only $avail bytes free on $dir, $leave wanted"
  head -c $((avail - leave)) /dev/zero >"$dir/filler$n" || fail "could not fill $dir"
  expect_eq "$(free_bytes "$dir")" "$leave" "free room on $dir after filling"
}

# Every name under DIR (hidden ones too) with its kind and size, and every file's digest;
# the working folder's lock file, empty and made by the first change, is no content.
snapshot() {
  (
    cd "$1" || exit 1
    find . -mindepth 1 ! -name qs.lock -printf '%y %p %s\n' | LC_ALL=C sort
    find . -type f ! -name qs.lock -exec sha256sum {} + | LC_ALL=C sort -k2
  )
}

# expect_unchanged DIR SNAPSHOT: DIR holds exactly what it held, byte for byte; a temporary
# file or a partial output shows up as a difference.
expect_unchanged() {
  local now
  now=$(snapshot "$1")
  [[ $now == "$2" ]] || fail "$1 changed:
$(diff <(echo "$2") <(echo "$now"))"
}

expect_no_temporary() {
  local left
  left=$(find "$1" -name '*.qs-tmp-*')
  [[ -z $left ]] || fail "temporary files left: $left"
}

# The fixtures, outside any tmpfs: an authority that alice and bob trust and that certified
# both, a second authority, the data files and what alice made of them for bob.
make_fixtures() {
  local who
  expect_status 0 --workdir ca ca create --organisation "Test CA" --bits 2048 -o ca
  expect_status 0 --workdir ca ca create --organisation "Other CA" --bits 2048 -o other_ca
  for who in alice bob; do
    expect_status 0 --workdir "$who" keygen --name "$who key" --encryption-bits 2048 --signing-bits 2048
    expect_status 0 --workdir "$who" key export -o "$who.public_key"
    expect_status 0 inspect ca.public_cert_key
    expect_status 0 --workdir "$who" --expect-fingerprint "$(fingerprint_in "$out")" trust add ca.public_cert_key
    expect_status 0 --workdir ca --yes ca certify --public-key "$who.public_key" --ca-key ca.private_cert_key \
      --field "Namn=$who" -o "$who.certification"
    expect_status 0 --workdir "$who" certificate create "$who.certification" -o "$who.certificate"
  done
  expect_status 0 --workdir bob key backup -o bob.key_backup
  # Three 2 MiB chunks, the last one short.
  head -c $((5 * 1024 * 1024 + 12345)) /dev/urandom >data.bin
  head -c $((1024 * 1024)) /dev/urandom >small.bin
  head -c 200000 /dev/urandom >older.bin
  expect_status 0 --workdir alice --yes --expect-field Namn=bob encrypt --to bob.certificate data.bin
  expect_status 0 --workdir alice --yes --expect-field Namn=bob encrypt --to bob.certificate --format oki small.bin -o small.oki
  expect_status 0 --workdir alice sign data.bin -o data.signature
  snapshot_fixtures >fixtures.sums
}

# The fixtures as digests; rand.bin is left out, since every command that starts the random
# generator rewrites it.
snapshot_fixtures() {
  (cd "$home" && find . -type f ! -name rand.bin ! -name qs.lock ! -name fixtures.sums -exec sha256sum {} + |
    LC_ALL=C sort -k2)
}

# No case may change a fixture: among them every source file.
expect_fixtures_unchanged() {
  local now
  now=$(snapshot_fixtures)
  [[ $now == "$(<"$home/fixtures.sums")" ]] || fail "a fixture changed:
$(diff "$home/fixtures.sums" <(echo "$now"))"
}
