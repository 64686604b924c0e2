# The case loop the shell-driven stages share (tests/full_disk, tests/processes). The caller
# has set $work (a scratch folder), $home, $here (the folder of its cases.sh) and defined
# make_fixtures, expect_fixtures_unchanged and after_case (run after each case, whatever its
# end). A case is a function case_NAME in cases.sh; it runs in a subshell inside its own
# empty folder and fails by exiting non-zero. Prints GoogleTest-style lines and totals.
# Usage: run_cases STAGE

now_ms() { date +%s%3N; }

run_cases() {
  local stage=$1 start_all fn name begin case_dir rc took cases=0 passed=0
  local -a names failed_names=()
  start_all=$(now_ms)
  mkdir "$home"
  echo "[==========] Running $stage cases."
  if ! (cd "$home" && make_fixtures) >"$work/setup.log" 2>&1; then
    sed 's/^/    /' "$work/setup.log"
    echo "[  FAILED  ] 1 tests, listed below:"
    echo "[  FAILED  ] $stage.setup"
    return 1
  fi
  mapfile -t names < <(grep -hoE '^case_[A-Za-z0-9_]+' "$here"/cases.sh)
  echo "[----------] ${#names[@]} tests from $stage"
  for fn in "${names[@]}"; do
    name="$stage.${fn#case_}"
    cases=$((cases + 1))
    echo "[ RUN      ] $name"
    begin=$(now_ms)
    case_dir=$work/case-$cases
    mkdir "$case_dir"
    (
      cd "$case_dir" || exit 1
      source "$here/cases.sh"
      "$fn" || exit 1
      expect_fixtures_unchanged
    ) >"$work/case.log" 2>&1
    rc=$?
    after_case
    rm -rf "$case_dir"
    took=$(($(now_ms) - begin))
    if [[ $rc -eq 0 ]]; then
      passed=$((passed + 1))
      echo "[       OK ] $name ($took ms)"
    else
      failed_names+=("$name")
      sed 's/^/    /' "$work/case.log"
      echo "[  FAILED  ] $name ($took ms)"
    fi
  done
  echo "[==========] $cases tests ran. ($(($(now_ms) - start_all)) ms total)"
  echo "[  PASSED  ] $passed tests."
  if [[ ${#failed_names[@]} -gt 0 ]]; then
    echo "[  FAILED  ] ${#failed_names[@]} tests, listed below:"
    for name in "${failed_names[@]}"; do echo "[  FAILED  ] $name"; done
    return 1
  fi
}
