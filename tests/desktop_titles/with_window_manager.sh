#!/usr/bin/env bash
# with_window_manager.sh COMMAND...: runs COMMAND on a virtual X display managed by openbox, as a
# desktop shows windows, then stops both. Every wait is bounded.
set -u
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.05
done
export DISPLAY=":$(head -n1 "$display_file")"
rm -f "$display_file"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager announces itself on the root window once it manages the screen.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
QT_QPA_PLATFORM=xcb "$@"
status=$?
kill "$wm" "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
exit $status
