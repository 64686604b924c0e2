# Shared by the scripts: where things are and how each build is configured.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
jobs=$(nproc)

# configure_and_build NAME [cmake options...]: configures build/NAME once and builds it, or
# only the targets named (blank-separated) in QS_BUILD_TARGET.
configure_and_build() {
  local name=$1
  shift
  cmake -S "$root" -B "$build/$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQS_WERROR=ON "$@" >"$build/$name.configure.log" 2>&1 ||
    { cat "$build/$name.configure.log" >&2; return 1; }
  cmake --build "$build/$name" -j "$jobs" ${QS_BUILD_TARGET:+--target $QS_BUILD_TARGET} >"$build/$name.build.log" 2>&1 ||
    { grep -E 'error|Error' -A5 "$build/$name.build.log" | head -60 >&2; return 1; }
}

# A throw-away Wine prefix, so runs never share state. Sets WINEPREFIX.
new_wine_prefix() {
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/qs-wine.XXXXXX")
  export WINEPREFIX WINEDEBUG=-all
}

source "$root/scripts/wine.sh"
