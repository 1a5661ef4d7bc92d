# Sourced by the desktop tests: a virtual X display of their own, and the tests' exit codes.
# Needs Xvfb (Debian package xvfb).

# require_command COMMAND PACKAGE: exits 77, which ctest reads as "skipped" (SKIP_RETURN_CODE), without COMMAND.
require_command() {
  command -v "$1" >/dev/null 2>&1 || { echo "SKIPPED: $1 is not installed (Debian package $2)"; exit 77; }
}

# Starts Xvfb on a free display (a screen of $XVFB_SCREEN, 1280x1024 by default), exports DISPLAY and makes XVFB_HOME a fresh folder that the
# test may use too; both go when the script exits. The session's settings stay in memory and
# its files in XVFB_HOME, so that no test touches the machine's own.
#
# -displayfd: Xvfb chooses the display itself (the first number whose socket it can bind, so two
# servers starting at once cannot share one) and writes it only when it takes clients.
# -noreset: by default the server resets when its last client leaves and drops any client that
# is still connecting then, so a program starting while a short-lived xdotool or import ends
# would find no display.
start_xvfb() {
  require_command Xvfb xvfb
  XVFB_HOME=$(mktemp -d "${TMPDIR:-/tmp}/routelet-xvfb-XXXXXX")
  trap stop_xvfb EXIT
  mkfifo "$XVFB_HOME/display"
  # Its output goes to its log, not to the test's: a program the server starts (xkbcomp) must not
  # hold the test's output open after the test, or ctest waits for it.
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${XVFB_SCREEN:-1280x1024}x24" \
    3>"$XVFB_HOME/display" >"$XVFB_HOME/xvfb.log" 2>&1 </dev/null &
  XVFB_PID=$!
  local number=
  read -r -t 20 number <"$XVFB_HOME/display"
  if [[ ! "$number" =~ ^[0-9]+$ ]]; then
    cat "$XVFB_HOME/xvfb.log" >&2
    echo "Xvfb gave no display within 20 s" >&2
    exit 1
  fi
  export DISPLAY=":$number" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
  export XDG_CONFIG_HOME="$XVFB_HOME/config" XDG_DATA_HOME="$XVFB_HOME/data" XDG_CACHE_HOME="$XVFB_HOME/cache"
}

stop_xvfb() {
  if [[ -n "${XVFB_PID:-}" ]]; then
    # Asked to end, then made to after ten seconds: the test's result is known by now.
    kill "$XVFB_PID" 2>/dev/null
    local deadline=$((SECONDS + 10))
    while kill -0 "$XVFB_PID" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.05; done
    kill -KILL "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  [[ -n "${XVFB_HOME:-}" ]] && rm -rf "$XVFB_HOME"
}
