#!/usr/bin/env bash
# Checks that quillseal-cli's manual page names every command and every flag its help names,
# so the page cannot fall behind the program. Prints each one it misses; exits 1 if any.
# Usage: manual_names_everything.sh QUILLSEAL_CLI MANUAL_SOURCE
set -uo pipefail
cli=$1
# The page's text without font changes and hyphen escapes.
page=$(sed 's/\\-/-/g; s/\\f[BIR]//g' "$2")
missing=0

names() { grep -qE -- "(^|[^a-z-])$1([^a-z-]|$)" <<<"$page" || { echo "manual lacks $2 $1"; missing=1; }; }

help=$("$cli" --help)
for flag in $(grep -oE '^  --[a-z-]+' <<<"$help"); do names "$flag" "global flag"; done
while read -r command; do
  grep -qE "^(\.B )?$command( |$)" <<<"$page" || { echo "manual lacks command $command"; missing=1; }
  # shellcheck disable=SC2086 # the command's words are separate arguments
  usage=$("$cli" $command --help | head -1)
  for flag in $(grep -oE -- '(^|[ [|])-{1,2}[a-z][a-z-]*' <<<"$usage" | tr -d ' [|'); do
    names "$flag" "flag of $command:"
  done
done < <(sed -n '/^Kommandon:/,$s/^  \([a-z]\+\( [a-z]\+\)\?\)  .*/\1/p' <<<"$help")

[[ $missing -eq 0 ]] && echo "manual names every command and flag"
exit $missing
