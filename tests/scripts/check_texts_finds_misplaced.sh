#!/usr/bin/env bash
# Checks scripts/check-texts on a copy of the sources: it passes on them as they stand, and a
# Swedish string literal put into cli/session.cpp fails it with that file and line, while a
# comment and a character literal holding the same letters beside it are not reported.
# Usage: check_texts_finds_misplaced.sh SOURCE_ROOT
set -uo pipefail
root=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir "$tree/scripts"
cp "$root/scripts/check-texts" "$tree/scripts/"
for folder in base platform crypto codec formats keys operations app cli clean; do
  cp -r "$root/$folder" "$tree/"
done

shown=$("$tree/scripts/check-texts" 2>&1) || { echo "check-texts fails on the sources:"$'\n'"$shown"; exit 1; }

file=cli/session.cpp
line=$(($(wc -l <"$tree/$file") + 3))
printf '%s\n' '// Fel: här, bara en kommentar' "constexpr char kLetter = 'ä';" 'constexpr char kPlanted[] = "Fel: här";' \
  >>"$tree/$file"
shown=$("$tree/scripts/check-texts" 2>&1)
status=$?
expected="$file:$line: \"Fel: här\""$'\n'"1 non-ASCII string literals outside the text files"
if ((status != 1)) || [[ $shown != "$expected" ]]; then
  echo "check-texts with a text planted in $file gives status $status and"$'\n'"$shown"$'\n'"instead of"
  echo "$expected"
  exit 1
fi
echo "check-texts finds a Swedish text in the wrong file, and only that"
