# The checks the shell-driven tests (tests/e2e, tests/full_disk) share. A failed check ends
# the case's subshell with a message.

fail() {
  echo "Failure: $*" >&2
  exit 1
}

# fingerprint_in OUTPUT: the first fingerprint quillseal-cli printed (inspect, approvals).
fingerprint_in() {
  sed -n 's/^ *Fingerprint: *//p' <<<"$1" | head -1
}

# expect_eq ACTUAL EXPECTED WHAT
expect_eq() {
  [[ $1 == "$2" ]] || fail "$3: got '$1', expected '$2'"
}
