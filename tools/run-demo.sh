#!/usr/bin/env bash
# Starts larkspire on a demo Windows directory under the build folder, with the
# build's program folder, so a new user sees the sign-on window at once.
set -euo pipefail

BUILD=${1:-build}
if [ ! -d "$BUILD" ]; then
  echo "run-demo: no build folder $BUILD (run make run)" >&2
  exit 1
fi
BUILD=$(cd "$BUILD" && pwd)
BIN=$BUILD/bin
if [ ! -x "$BIN/larkspire" ]; then
  echo "run-demo: larkspire is not built in $BIN" >&2
  exit 1
fi

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run-demo: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "run-demo: run it from a desktop session, or set QT_QPA_PLATFORM=offscreen to run it headless." >&2
  exit 1
fi

WINDIR=$BUILD/demo/windows
mkdir -p "$WINDIR/system"

# What an installation leaves behind: larkspire.ini naming the install folder and version.
if [ ! -f "$WINDIR/larkspire.ini" ]; then
  printf '[MAIN]\r\nVersion=1.0\r\ninstall=%s\r\nuserLoginName=demo\r\n' "$BIN" > "$WINDIR/larkspire.ini"
fi
# A demo account that has signed on here before; any password will do locally.
if [ ! -f "$WINDIR/my friends/demo/user.dat" ]; then
  mkdir -p "$WINDIR/my friends/demo"
  printf '[user]\r\npassword=\r\nSave=0\r\n' > "$WINDIR/my friends/demo/user.dat"
fi

export KORVO_WINDIR=$WINDIR
export KORVO_APPDIR=$BIN
# TODO: the local service, once localservice/ has one to start

echo "run-demo: Windows directory $KORVO_WINDIR, program folder $KORVO_APPDIR"
if [ "${QT_QPA_PLATFORM:-}" = offscreen ] || [ "${QT_QPA_PLATFORM:-}" = minimal ]; then
  export KORVO_AUTOMATION=${KORVO_AUTOMATION:-$BUILD/demo/larkspire.sock}
  echo "run-demo: headless ($QT_QPA_PLATFORM): no window will show; drive it through $KORVO_AUTOMATION (tests/e2e/README.md), Ctrl+C ends it"
fi
exec "$BIN/larkspire"
