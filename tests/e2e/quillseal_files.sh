# Files for the quillseal.exe cases, written from the shell in the program's own layouts (a
# field is a u32 little-endian length and its bytes; whole files are a u32 length and their
# content): the test key pairs as priv_key.bin, a seed file, certificates without
# certifications, config.bin.

key_pairs=$here/../data/keys/key_pairs.txt

# le32 N: four bytes, least significant first.
le32() {
  printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"
  printf "\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"
}

# field FILE: the file's bytes as a length-prefixed field.
field() {
  le32 "$(stat -c %s "$1")"
  cat "$1"
}

# whole_file OUT PARTS...: OUT holds the container of the concatenated parts.
whole_file() {
  local out=$1 body
  shift
  body=$(mktemp)
  cat "$@" >"$body"
  { le32 "$(stat -c %s "$body")"; cat "$body"; } >"$out"
  rm -f "$body"
}

# unhex: hex digits on standard input as bytes on standard output.
unhex() {
  local hex i
  hex=$(tr -d ' \n')
  for ((i = 0; i < ${#hex}; i += 512)); do
    printf "$(sed 's/../\\x&/g' <<<"${hex:i:512}")"
  done
}

# test_record OWNER Private|Public: a record of a fixed test key pair.
test_record() {
  awk -v owner="$1" -v key="$2" '$1 == "Name" { current = $3 } current == owner && $1 == key { print $3 }' \
    "$key_pairs" | unhex
}

# store_key_pair OWNER NAME: priv_key.bin in the working folder holds that test key pair.
store_key_pair() {
  local tmp
  tmp=$(mktemp -d)
  test_record "$1" Private >"$tmp/private"
  test_record "$1" Public >"$tmp/public"
  printf '%s\0' "$2" >"$tmp/name"
  { field "$tmp/private"; field "$tmp/public"; field "$tmp/name"; } >"$tmp/content"
  mkdir -p "$wd"
  whole_file "$wd/priv_key.bin" "$tmp/content"
  rm -rf "$tmp"
}

# public_record_of_stored_key_pair: the "PublicKey" record inside priv_key.bin.
public_record_of_stored_key_pair() {
  local private_length public_length
  private_length=$(od -An -tu4 -j4 -N4 "$wd/priv_key.bin" | tr -d ' ')
  public_length=$(od -An -tu4 -j$((8 + private_length)) -N4 "$wd/priv_key.bin" | tr -d ' ')
  tail -c +$((13 + private_length)) "$wd/priv_key.bin" | head -c "$public_length"
}

# certificate OUT [OWNER]: a ".certificate" without certifications for the test key pair, or
# for the stored one without an owner.
certificate() {
  local tmp
  tmp=$(mktemp -d)
  if [[ $# -ge 2 ]]; then test_record "$2" Public >"$tmp/public"; else public_record_of_stored_key_pair >"$tmp/public"; fi
  { le32 11; printf 'Certificate\0\0'; field "$tmp/public"; printf '\0\0'; } >"$tmp/content"
  whole_file "$1" "$tmp/content"
  rm -rf "$tmp"
}

# seed_file: rand.bin, so that the generator starts with its full credit.
seed_file() {
  local tmp
  tmp=$(mktemp -d)
  head -c 512 /dev/urandom >"$tmp/seed"
  field "$tmp/seed" >"$tmp/content"
  mkdir -p "$wd"
  whole_file "$wd/rand.bin" "$tmp/content"
  rm -rf "$tmp"
}

# settings FORMAT COMPRESSION: config.bin with these two bytes (0 or 1 each).
settings() {
  mkdir -p "$wd"
  { le32 2; printf "\\x0$1\\x0$2"; } >"$wd/config.bin"
}

# bytes FILE OFFSET COUNT: those bytes in hex.
bytes() {
  od -An -tx1 -j"$2" -N"$3" "$1" | tr -d ' \n'
}
