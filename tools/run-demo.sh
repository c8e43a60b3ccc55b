#!/usr/bin/env bash
# Starts the local service and larkspire on a demo Windows directory under the
# build folder, with the build's program folder, so a new user sees the sign-on
# window at once and can log on as demo (password demo). The service ends with larkspire.
set -euo pipefail

BUILD=${1:-build}
if [ ! -d "$BUILD" ]; then
  echo "run-demo: no build folder $BUILD (run make run)" >&2
  exit 1
fi
BUILD=$(cd "$BUILD" && pwd)
BIN=$BUILD/bin
for program in larkspire korvo-service; do
  if [ ! -x "$BIN/$program" ]; then
    echo "run-demo: $program is not built in $BIN" >&2
    exit 1
  fi
done

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
# A demo account that has signed on here before, its password "demo" saved
# (scrambled, as the sign-on keeps it) so the window shows it.
USERDAT="$WINDIR/my friends/demo/user.dat"
if ! grep -q '^password=[0-9]' "$USERDAT" 2>/dev/null; then
  mkdir -p "$WINDIR/my friends/demo"
  printf '[user]\r\npassword=100-216-158-68-\r\nSave=1\r\n' > "$USERDAT"
fi

export KORVO_WINDIR=$WINDIR
export KORVO_APPDIR=$BIN

# The local service on a free port, its database beside the demo Windows directory.
SERVICE_OUT=$BUILD/demo/service.out
"$BIN/korvo-service" --port 0 --db "$BUILD/demo/service.db" --user demo:demo > "$SERVICE_OUT" &
SERVICE_PID=$!
trap 'kill "$SERVICE_PID" 2>/dev/null || true; wait "$SERVICE_PID" 2>/dev/null || true' EXIT
PORT=
for _ in $(seq 100); do
  PORT=$(sed -n '1s/^listening 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$SERVICE_OUT" 2>/dev/null)
  [ -n "$PORT" ] && break
  if ! kill -0 "$SERVICE_PID" 2>/dev/null; then
    echo "run-demo: korvo-service ended before it listened" >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$PORT" ]; then
  echo "run-demo: korvo-service did not say where it listens" >&2
  exit 1
fi

# servers.ini [servers] 0 names the service; every other line stays as it was.
SERVERS=$BIN/servers.ini
touch "$SERVERS"
awk -v value="127.0.0.1:$PORT" '
  BEGIN { ORS = "\r\n" }
  { sub(/\r$/, "") }
  /^[ \t]*\[/ {
    if (inside && !done) { print "0=" value; done = 1 }
    inside = (tolower($0) ~ /^[ \t]*\[servers\][ \t]*$/)
  }
  inside && /^[ \t]*0[ \t]*=/ { if (!done) { print "0=" value; done = 1 }; next }
  { print }
  END { if (!done) { if (!inside) print "[servers]"; print "0=" value } }
' "$SERVERS" > "$SERVERS.new" && mv "$SERVERS.new" "$SERVERS"
echo "run-demo: korvo-service on 127.0.0.1:$PORT (database $BUILD/demo/service.db); sign on as demo, password demo"

echo "run-demo: Windows directory $KORVO_WINDIR, program folder $KORVO_APPDIR"
if [ "${QT_QPA_PLATFORM:-}" = offscreen ] || [ "${QT_QPA_PLATFORM:-}" = minimal ]; then
  export KORVO_AUTOMATION=${KORVO_AUTOMATION:-$BUILD/demo/larkspire.sock}
  echo "run-demo: headless ($QT_QPA_PLATFORM): no window will show; drive it through $KORVO_AUTOMATION (tests/e2e/README.md), Ctrl+C ends it"
fi
"$BIN/larkspire"
