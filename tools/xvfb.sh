# Sourced: starts one Xvfb on a free display number when there is no
# DISPLAY yet, exports DISPLAY and sets xvfb_pid (empty otherwise) so the
# caller can stop it.
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 160); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    break
  done
fi
