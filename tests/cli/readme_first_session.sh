#!/usr/bin/env bash
# Runs the first session of the README as it stands there, so the commands a newcomer copies
# keep working and keep printing what the README shows. Every indented block of the section
# "A first session" that opens with "$ " is a transcript: each "$ " line is run in one fresh
# folder, quillseal-cli on a terminal of its own that answers "j" to every question, and each
# line after it must be in what the command printed. Fingerprints, Key-IDs and times differ
# from run to run and are compared as placeholders; "..." stands for lines left out.
# The manual's EXEMPEL must run the same quillseal-cli commands, in the same order.
# Prints each command that fails or prints otherwise; exits 1 if any.
# Usage: readme_first_session.sh QUILLSEAL_CLI README MANUAL_SOURCE
set -uo pipefail
cli=$(realpath "$1")
readme=$2
manual=$3

# The transcript lines of the section, without their indentation.
transcript() {
  awk '
    /^## / { inside = ($0 == "## A first session") }
    !inside { next }
    /^    / { if (!inblock) { inblock = 1; session = ($0 ~ /^    \$ /) } if (session) print substr($0, 5); next }
    /^$/ { next }
    { inblock = 0 }
  ' "$readme"
}

# What varies from run to run becomes a placeholder; trailing blanks (progress lines wiped
# on the terminal) go.
masked() { sed -E 's/[0-9A-F]{16,}/HEX/g; s/[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}/TIME/g; s/ +$//'; }

# The program as the README's reader runs it: on a terminal, typing "j" where the README
# shows a question ($answers), and nothing else.
on_terminal() {
  local command
  command=$(printf '%q ' "$cli" "$@")
  printf '%s' "$answers" | script -qec "$command" /dev/null
}

# The commands of the manual's examples, each on one line as typed.
manual_examples() {
  sed -n '/^\.SH EXEMPEL/,/^\.SH /{/^\.nf/,/^\.fi/p}' "$manual" | grep -v '^\.' |
    sed 's/\\-/-/g' | sed -e ':a' -e '/ \\e$/{N;s/ \\e\n *\(.*\)/ \1/;ba}'
}

lines=()
mapfile -t lines < <(transcript)
[[ ${#lines[@]} -gt 0 ]] || { echo "no transcript in the README's first session"; exit 1; }
if ! differences=$(diff <(sed -n 's/^\$ \(quillseal-cli .*\)/\1/p' <(printf '%s\n' "${lines[@]}")) <(manual_examples)); then
  echo "the manual's EXEMPEL (>) and the README's first session (<) run other commands:"$'\n'"$differences"
  exit 1
fi

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
# The README's own temporary folder goes inside this one, and with it.
export TMPDIR=$folder
faults=0
i=0
while ((i < ${#lines[@]})); do
  command=${lines[i]#$ }
  shown=()
  answers=
  while ((++i < ${#lines[@]})) && [[ ${lines[i]} != '$ '* ]]; do
    # A question's answer is typed, not printed where the README shows it.
    [[ ${lines[i]} == *'[j/N] j' ]] && answers+=$'j\n'
    shown+=("$(masked <<<"${lines[i]}" | sed -E 's/^ +//; s/(\[j\/N\]) j$/\1/')")
  done
  printed=$(eval "${command/#quillseal-cli /on_terminal }" 2>&1 | tr -d '\r')
  status=$?  # the command's, through pipefail
  [[ $status -eq 0 ]] || { echo "exit $status: $command"$'\n'"$printed"; faults=$((faults + 1)); }
  printed=$(masked <<<"$printed")
  for want in "${shown[@]}"; do
    [[ $want == ... || $printed == *"$want"* ]] && continue
    echo "'$command' did not print '$want'; it printed:"$'\n'"$printed"
    faults=$((faults + 1))
  done
done

[[ $faults -eq 0 ]] && echo "the README's first session runs as shown (${#lines[@]} lines)"
exit $((faults > 0))
