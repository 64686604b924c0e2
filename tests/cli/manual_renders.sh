#!/usr/bin/env bash
# Checks that quillseal-cli's manual page, as the build wrote it, shows with `man -l` at 80
# columns without a single warning from man or troff (an unknown request, a bad escape, a
# line that cannot be broken), with every section, EXEMPEL included, and no line wider than
# the 80 columns (an example's command that runs off the screen).
# Usage: manual_renders.sh PAGE
set -uo pipefail
page=$1
[[ -f $page ]] || { echo "no manual page at $page"; exit 1; }
warnings=$(MANWIDTH=80 man --warnings=w -l "$page" 2>&1 >/dev/null)
[[ -z $warnings ]] || { echo "man -l $page warns:"$'\n'"$warnings"; exit 1; }
shown=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
for section in NAMN SYNOPSIS BESKRIVNING KOMMANDON EXEMPEL; do
  grep -qx "$section" <<<"$shown" || { echo "man -l $page shows no section $section"; exit 1; }
done
export LC_ALL=C.UTF-8  # widths in characters, not bytes
while IFS= read -r line; do
  ((${#line} <= 80)) || { echo "man -l $page shows a line of ${#line} columns:"$'\n'"$line"; exit 1; }
done <<<"$shown"
echo "man -l $page shows every section without a warning"
