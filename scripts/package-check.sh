#!/usr/bin/env bash
# Checks what a user installs: `cmake --install` into a fresh prefix, then the Debian package
# built with CPack installed with dpkg, run, and removed. Each installed tarnedit must find
# its own catalogue and app-defaults (seen with strace), varoctl must work, and removal must
# leave none of the package's files. Needs an X server in DISPLAY and root (or sudo) for dpkg.
# Usage: scripts/package-check.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

fail() { echo "package check: $*" >&2; exit 1; }

# Starts an installed tarnedit until it reports through -fd, and lists the files it opened.
opened_by_tarnedit() {
  local exe="$1" log="$work/strace.log" fifo="$work/report"
  rm -f "$fifo" "$log"
  mkfifo "$fifo"
  VARO_STORE="sqlite:$work/store.db" NLSPATH="" XFILESEARCHPATH="" \
    strace -f -qq -e trace=openat -e status=successful -o "$log" "$exe" -fd 9 9>"$fifo" &
  local tracer=$! started=1
  timeout 30 head -c 1 "$fifo" >/dev/null || started=0
  # Ending the traced program ends strace; ending strace would leave the program running.
  pkill -KILL -P "$tracer" 2>/dev/null || true
  wait "$tracer" 2>/dev/null || true
  [ "$started" = 1 ] || fail "$exe did not start"
  cat "$log"
}

# The files an installation under prefix must provide, and must be found from there.
check_installed() {
  local prefix="$1"
  for f in bin/tarnedit bin/varoctl share/tarnwright/nls/corvane.cat share/X11/app-defaults/Tarnedit \
           share/man/man1/tarnedit.1 share/man/man1/varoctl.1 share/applications/tarnedit.desktop \
           share/icons/hicolor/48x48/apps/tarnedit.png share/tarnwright/bin/hyperhelp \
           share/tarnwright/help/corvane_help.hlp; do
    [ -e "$prefix/$f" ] || fail "$prefix/$f is missing"
  done
  "$prefix/bin/varoctl" --store "sqlite:$work/v.db" list severities | grep -q Normal || fail "$prefix/bin/varoctl cannot list"
  local usage
  usage="$("$prefix/bin/tarnedit" -help 2>&1 || true)"
  grep -q "Usage: tarnedit" <<<"$usage" || fail "$prefix/bin/tarnedit -help"
  local opened
  opened="$(opened_by_tarnedit "$prefix/bin/tarnedit")"
  for f in share/tarnwright/nls/corvane.cat share/X11/app-defaults/Tarnedit; do
    grep -q "\"$prefix/$f\"" <<<"$opened" || fail "$prefix/bin/tarnedit did not open $prefix/$f"
  done
}

echo "-- cmake --install into a fresh prefix"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_installed "$work/prefix"

echo "-- Debian package"
rm -f "$build"/tarnwright_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/tarnwright_*.deb)"
$sudo dpkg -i "$deb" >/dev/null
files="$(dpkg -L tarnwright)"
check_installed /usr
man -w tarnedit >/dev/null 2>&1 || fail "man cannot find tarnedit(1)"
$sudo dpkg -r tarnwright >/dev/null
while read -r f; do
  [ -f "$f" ] && fail "$f is left after removal"
done <<<"$files"
dpkg -s tarnwright >/dev/null 2>&1 && fail "the package is still installed"
echo "package check: passed"
