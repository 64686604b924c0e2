# Where Wine's programs are. Debian's wine64 package puts its loader and its server under
# /usr/lib/wine only; /usr/bin/wine and /usr/bin/wineserver come with the separate `wine`
# package, which scripts/deps does not install. Every script finds them through these two.

# wine_program NAME: prints the 64-bit NAME (wine or wineserver) from the wine64 package, or
# NAME64 / NAME from the PATH where Wine was installed some other way.
wine_program() {
  local name=$1
  if [[ -x /usr/lib/wine/${name}64 ]]; then echo "/usr/lib/wine/${name}64"
  elif command -v "${name}64" >/dev/null; then command -v "${name}64"
  else echo "$name"; fi
}

wine_cmd() { wine_program wine; }
wineserver_cmd() { wine_program wineserver; }
