# The full-disk cases: every file quillseal-cli writes, with a tmpfs too small for it (full
# before the command begins, or with room for part of the output), and with exactly enough
# room. The helpers and fixtures are in lib.sh.

alice=$home/alice
bob=$home/bob

# A working folder on its own tmpfs of BYTES, holding copies of the named files of alice's.
working_folder_on_disk() {
  local bytes=$1 name
  shift
  disk wd "$bytes"
  for name in "$@"; do cp "$alice/$name" wd/ || fail "no $name in alice's folder"; done
}

case_encrypt_onto_a_full_disk() {
  disk out 64k
  fill out
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$alice" --yes --expect-field Namn=bob encrypt --to "$home/bob.certificate" "$home/data.bin" -o out/data.bin.encrypted
  expect_output "quillseal-cli: Fel vid skrivning till målfilen. out/data.bin.encrypted: disken är full"
  expect_unchanged out "$before"
}

# Bytes to spare but no file entry left: the temporary file cannot even be made.
case_encrypt_onto_a_disk_without_free_entries() {
  disk out 8m nr_inodes=3
  cp "$home/older.bin" out/data.bin.encrypted
  touch out/filler
  expect_eq "$(df --output=iavail out | tail -1 | tr -d ' ')" 0 "free entries"
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$alice" --yes --expect-field Namn=bob encrypt --to "$home/bob.certificate" "$home/data.bin" \
    -o out/data.bin.encrypted --force
  expect_output "quillseal-cli: Fel vid skrivning till målfilen."
  expect_unchanged out "$before"
}

# Room for the older target and about one chunk: the disk fills while chunks are written.
case_encrypt_fills_the_disk_part_way_and_keeps_the_older_target() {
  disk out 3m
  cp "$home/older.bin" out/data.bin.encrypted
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$alice" --yes --expect-field Namn=bob encrypt --to "$home/bob.certificate" "$home/data.bin" \
    -o out/data.bin.encrypted --force
  expect_output "quillseal-cli: Fel vid skrivning till målfilen."
  expect_unchanged out "$before"
}

case_encrypt_with_exactly_enough_room() {
  disk out "$(pages_for "$(size_of "$home/data.bin.encrypted")")"
  expect_status 0 --workdir "$alice" --yes --expect-field Namn=bob encrypt --to "$home/bob.certificate" "$home/data.bin" -o out/data.bin.encrypted
  expect_eq "$(free_bytes out)" 0 "free room after the encryption"
  expect_no_temporary out
  expect_status 0 --workdir "$bob" --yes --expect-field Namn=alice decrypt --from "$home/alice.certificate" out/data.bin.encrypted -o data.out
  cmp "$home/data.bin" data.out || fail "the encrypted file does not decrypt to its source"
}

case_encrypt_oki_onto_a_disk_too_small() {
  disk out 512k
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$alice" --yes --expect-field Namn=bob encrypt --to "$home/bob.certificate" --format oki "$home/small.bin" -o out/small.oki
  expect_output "quillseal-cli: Fel vid skrivning till målfilen."
  expect_unchanged out "$before"
}

# The source lives on the disk that fills: room for it, an older target and one more chunk.
case_decrypt_fills_the_disk_part_way_and_keeps_source_and_older_target() {
  disk out $(($(pages_for "$(size_of "$home/data.bin.encrypted")") + $(pages_for 200000) + 2 * 1024 * 1024))
  cp "$home/data.bin.encrypted" out/
  cp "$home/older.bin" out/data.bin
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$bob" --yes --expect-field Namn=alice decrypt --from "$home/alice.certificate" out/data.bin.encrypted --force
  expect_output "quillseal-cli: Fel vid skrivning till målfilen."
  expect_unchanged out "$before"
}

case_decrypt_with_exactly_enough_room() {
  disk out "$(pages_for "$(size_of "$home/data.bin")")"
  expect_status 0 --workdir "$bob" --yes --expect-field Namn=alice decrypt --from "$home/alice.certificate" "$home/data.bin.encrypted" -o out/data.bin
  expect_eq "$(free_bytes out)" 0 "free room after the decryption"
  expect_no_temporary out
  cmp "$home/data.bin" out/data.bin || fail "the decrypted file differs from the original"
}

case_decrypt_oki_onto_a_full_disk() {
  disk out 64k
  fill out
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$bob" --yes --expect-field Namn=alice decrypt --from "$home/alice.certificate" "$home/small.oki" -o out/small.bin
  expect_output "quillseal-cli: Fel vid skrivning till målfilen."
  expect_unchanged out "$before"
}

# Source, older signature and target on one full disk.
case_sign_on_a_full_disk_keeps_source_and_older_signature() {
  disk out 8m
  cp "$home/data.bin" "$home/data.signature" out/
  fill out
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$alice" sign out/data.bin -o out/data.signature --force
  expect_output "quillseal-cli: Fel vid signering av fil."
  expect_unchanged out "$before"
}

case_sign_with_exactly_enough_room() {
  disk out 8m
  cp "$home/data.bin" out/
  fill out "$(pages_for "$(size_of "$home/data.signature")")"
  expect_status 0 --workdir "$alice" sign out/data.bin -o out/data.signature
  expect_eq "$(free_bytes out)" 0 "free room after signing"
  expect_no_temporary out
  expect_status 0 --workdir "$bob" --yes --expect-field Namn=alice verify --from "$home/alice.certificate" out/data.bin out/data.signature
  expect_output "Signaturen OK."
}

# The seed file is rewritten first, so a full working folder stops key generation there.
case_keygen_in_a_full_working_folder_keeps_key_pair_and_seed_file() {
  working_folder_on_disk 64k priv_key.bin rand.bin
  fill wd
  local before
  before=$(snapshot wd)
  expect_status 1 --workdir wd keygen --name new --encryption-bits 2048 --signing-bits 2048 --force
  expect_output "quillseal-cli: Fel: Kunde inte initiera slumptalsgenerator! wd/rand.bin: disken är full"
  expect_unchanged wd "$before"
}

# Room for a new seed file (one page) and none for the key pair after it.
case_keygen_with_room_for_the_seed_file_only_keeps_the_older_key_pair() {
  working_folder_on_disk 64k priv_key.bin
  fill wd "$page"
  local key
  key=$(sha256sum <wd/priv_key.bin)
  expect_status 1 --workdir wd keygen --name new --encryption-bits 2048 --signing-bits 2048 --force
  expect_output "quillseal-cli: Fel: Kunde inte spara ned krypteringsnyckeln. wd/priv_key.bin: disken är full"
  expect_eq "$(sha256sum <wd/priv_key.bin)" "$key" "priv_key.bin"
  expect_eq "$(cd wd && ls -A | tr '\n' ' ')" "filler1 priv_key.bin qs.lock rand.bin " "working folder"
}

case_keygen_with_exactly_enough_room() {
  disk wd $((2 * page))
  expect_status 0 --workdir wd keygen --name new --encryption-bits 2048 --signing-bits 2048
  expect_eq "$(free_bytes wd)" 0 "free room after key generation"
  expect_no_temporary wd
  expect_status 0 --workdir wd key show
  expect_output "new"
}

case_key_restore_in_a_full_working_folder_keeps_the_key_pair() {
  working_folder_on_disk 64k priv_key.bin rand.bin
  fill wd
  local before
  before=$(snapshot wd)
  expect_status 1 --workdir wd key restore "$home/bob.key_backup" --force
  expect_output "quillseal-cli: Fel: Kunde inte spara krypteringsnyckeln."
  expect_unchanged wd "$before"
}

# Locking the stored key pair with a passphrase draws a salt, so the seed file is rewritten
# first: a full folder keeps both as they were, and with room the locked pair replaces the
# plain one whole. (A failing write of the key pair itself is the fault tests'.)
case_key_protect_in_a_full_working_folder_keeps_the_plain_key_pair() {
  working_folder_on_disk 64k priv_key.bin rand.bin
  echo "en lösenfras" >pass.txt
  fill wd
  local before
  before=$(snapshot wd)
  expect_status 1 --workdir wd --passphrase-file pass.txt key protect --passphrase
  expect_output "wd/rand.bin: disken är full"
  expect_unchanged wd "$before"
  rm wd/filler*
  expect_status 0 --workdir wd --passphrase-file pass.txt key protect --passphrase
  expect_no_temporary wd
  expect_status 0 inspect wd/priv_key.bin
  expect_output "Skydd: lösenfras"
}

case_trust_add_in_a_full_working_folder_keeps_the_list() {
  expect_status 0 inspect "$home/other_ca.public_cert_key"
  local other_ca
  other_ca=$(fingerprint_in "$out")
  working_folder_on_disk 64k priv_key.bin rand.bin cert_key_list.bin
  fill wd
  local before
  before=$(snapshot wd)
  expect_status 1 --workdir wd --expect-fingerprint "$other_ca" trust add "$home/other_ca.public_cert_key"
  expect_output "quillseal-cli: Kunde inte spara certifieringsnyckeln!"
  expect_unchanged wd "$before"
  expect_status 0 --workdir wd trust list
  [[ $out != *"Other CA"* ]] || fail "the key was listed"
  # The first trusted key, with no list yet.
  rm wd/cert_key_list.bin
  fill wd
  before=$(snapshot wd)
  expect_status 1 --workdir wd --expect-fingerprint "$other_ca" trust add "$home/other_ca.public_cert_key"
  expect_output "quillseal-cli: Kunde inte spara certifieringsnyckeln!"
  expect_unchanged wd "$before"
}

case_settings_in_a_full_working_folder_keep_the_older_settings() {
  disk wd 64k
  expect_status 0 --workdir wd settings --compression on
  fill wd
  local before
  before=$(snapshot wd)
  expect_status 1 --workdir wd settings --format oki
  expect_output "quillseal-cli: Kunde inte spara inställningarna."
  expect_unchanged wd "$before"
  expect_status 0 --workdir wd settings
  expect_output "Filformat: Quillseal-format"
  expect_output "Kompression: på"
}

# The outputs of the key and authority commands, each onto a full disk.
case_key_and_authority_outputs_onto_a_full_disk() {
  disk out 64k
  fill out
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$alice" key export -o out/alice.public_key
  expect_status 1 --workdir "$alice" key backup -o out/alice.key_backup
  expect_status 1 --workdir "$home/ca" --yes ca certify --public-key "$home/alice.public_key" \
    --ca-key "$home/ca.private_cert_key" --field "Namn=alice" -o out/alice.certification
  expect_status 1 --workdir "$alice" certificate create "$home/alice.certification" -o out/alice.certificate
  expect_status 1 --workdir "$home/ca" ca create --organisation "Third CA" --bits 2048 -o out/third_ca
  expect_unchanged out "$before"
}

# Room for one of the two files of a public key export: neither is put in place, since a key
# file must not appear without its proof; with room for both the authority certifies it.
case_key_export_with_room_for_one_file_only() {
  disk out 64k
  fill out "$page"
  local before
  before=$(snapshot out)
  expect_status 1 --workdir "$alice" key export -o out/alice.public_key
  expect_output "quillseal-cli: Kunde inte spara nyckeln!"
  expect_unchanged out "$before"
  rm out/filler1
  fill out $((2 * page))
  expect_status 0 --workdir "$alice" key export -o out/alice.public_key
  expect_no_temporary out
  expect_status 0 --workdir "$home/ca" --yes ca certify --public-key out/alice.public_key \
    --ca-key "$home/ca.private_cert_key" --field "Namn=alice" -o alice.certification
}

# Room for the private file of a new authority only: the command fails and says which file;
# the private file, written first, stays, as the key-pair dialog leaves it.
case_ca_create_with_room_for_the_private_file_only() {
  disk out 64k
  fill out "$page"
  expect_status 1 --workdir "$home/ca" ca create --organisation "Third CA" --bits 2048 -o out/third_ca
  expect_output "quillseal-cli: Fel: Kunde inte skriva den publika nyckel till fil."
  expect_no_temporary out
  expect_eq "$(cd out && ls -A | tr '\n' ' ')" "filler1 third_ca.private_cert_key " "folder"
  expect_status 0 inspect out/third_ca.private_cert_key
  expect_output "Organisation: Third CA"
}
