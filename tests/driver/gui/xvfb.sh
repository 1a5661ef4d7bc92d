# Sourced by the desktop tests: a virtual X display of their own, and the tests' exit codes.
# Needs Xvfb (Debian package xvfb).

# ctest reads this exit code as "skipped" (SKIP_RETURN_CODE).
readonly SKIPPED=77

skip() {
  echo "SKIPPED: $*"
  exit "$SKIPPED"
}

require_command() {  # require_command COMMAND PACKAGE
  command -v "$1" >/dev/null 2>&1 || skip "$1 is not installed (Debian package $2)"
}

# Starts Xvfb on the first free display and exports DISPLAY; stop_xvfb ends it. The session's
# settings stay in memory and its files in a fresh folder, so that no test touches the
# machine's own.
start_xvfb() {
  require_command Xvfb xvfb
  XVFB_HOME=$(mktemp -d "${TMPDIR:-/tmp}/routelet-xvfb-XXXXXX")
  local numberFile="$XVFB_HOME/display"
  # -displayfd: Xvfb picks a free display itself and writes its number once it accepts clients.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" 2>"$XVFB_HOME/xvfb.log" &
  XVFB_PID=$!
  local tries
  for ((tries = 0; tries < 1000; tries++)); do
    [[ -s "$numberFile" ]] && break
    if ! kill -0 "$XVFB_PID" 2>/dev/null; then
      cat "$XVFB_HOME/xvfb.log" >&2
      echo "Xvfb did not start" >&2
      exit 1
    fi
    sleep 0.01
  done
  [[ -s "$numberFile" ]] || { echo "Xvfb gave no display within 10 s" >&2; exit 1; }
  export DISPLAY=":$(head -n 1 "$numberFile")"
  # The number can come before the server takes connections on its socket when several servers
  # start at once: wait until a client gets through.
  for ((tries = 0; tries < 1000; tries++)); do
    if [[ -S "/tmp/.X11-unix/X${DISPLAY#:}" ]] &&
       { ! command -v xdotool >/dev/null 2>&1 || xdotool getdisplaygeometry >/dev/null 2>&1; }; then
      break
    fi
    sleep 0.01
  done
  export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
  export XDG_CONFIG_HOME="$XVFB_HOME/config" XDG_DATA_HOME="$XVFB_HOME/data" XDG_CACHE_HOME="$XVFB_HOME/cache"
  trap stop_xvfb EXIT
}

stop_xvfb() {
  if [[ -n "${XVFB_PID:-}" ]]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
  fi
  [[ -n "${XVFB_HOME:-}" ]] && rm -rf "$XVFB_HOME"
  XVFB_HOME=
}
