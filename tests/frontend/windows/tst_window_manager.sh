#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a window test program under a real window manager: a virtual X
# display of its own (Xvfb, on a free display number) with openbox, both
# ended when the test ends, and a temporary home so that no settings of the
# user are read or written.
#   tst_window_manager.sh TEST_PROGRAM [ARGUMENTS...]
# Exit status 77 (skipped) when Xvfb or openbox is not installed.
set -u

for tool in Xvfb openbox; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (Debian packages xvfb and openbox); no window manager to test under"
    exit 77
  fi
done

tmp=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# Waits up to 10 s for a file to hold a complete line.
wait_for_line() {
  for _ in $(seq 200); do
    if [ -s "$1" ] && [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" = '\n' ]; then return 0; fi
    sleep 0.05
  done
  return 1
}

# A small screen, 1024 x 768, so that windows left near its corner would
# reach past its edges.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$tmp/display" \
  >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
if ! wait_for_line "$tmp/display"; then
  echo "FAIL: Xvfb did not start:"
  cat "$tmp/xvfb.log"
  exit 1
fi
export DISPLAY=":$(head -n 1 "$tmp/display")"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# openbox runs its start-up command once it manages the screen.
openbox --sm-disable --startup "sh -c 'echo ready >$tmp/wm'" >"$tmp/openbox.log" 2>&1 &
pids+=($!)
if ! wait_for_line "$tmp/wm"; then
  echo "FAIL: openbox did not start on $DISPLAY:"
  cat "$tmp/openbox.log"
  exit 1
fi

export QT_QPA_PLATFORM=xcb
timeout 120 "$@"
status=$?
[ "$status" -eq 124 ] && echo "FAIL: the test did not end within 120 s"
exit "$status"
