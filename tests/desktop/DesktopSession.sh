# Sourced by the scripts that need a real X desktop: starts Xvfb and openbox
# on a free display, exports DISPLAY, and stops both when the script exits.
#   StartDesktop [WIDTHxHEIGHT]
#   WindowTitle WINDOW-ID     the window's _NET_WM_NAME as UTF-8 text

DesktopPids=()

StopDesktop() {
  local pid
  for pid in "${DesktopPids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${DesktopPids[@]}"; do wait "$pid" 2>/dev/null || true; done
  DesktopPids=()
  [ -n "${DesktopRuntimeDir:-}" ] && rm -rf "$DesktopRuntimeDir"
  DesktopRuntimeDir=
}

StartDesktop() {
  local size=${1:-800x600}
  local missing tool
  for tool in Xvfb openbox xdotool xprop; do
    command -v "$tool" >/dev/null || missing+=" $tool"
  done
  if [ -n "${missing:-}" ]; then
    echo "missing:$missing (scripts/install-deps.sh desktop)" >&2
    return 1
  fi
  # Qt wants a private runtime folder and warns on every start without one;
  # the logs of Xvfb and openbox go there too.
  DesktopRuntimeDir=$(mktemp -d)
  export XDG_RUNTIME_DIR=$DesktopRuntimeDir
  trap StopDesktop EXIT
  # Xvfb picks a free display itself and writes its number to the fd. With
  # other people's X servers starting and stopping beside it, now and then
  # the display it reports does not answer; that Xvfb is left running so
  # that the next one picks another number.
  local attempt display xvfb fifo
  for attempt in 1 2 3; do
    fifo=$(mktemp -u) && mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" \
      >"$DesktopRuntimeDir/xvfb.log" 2>&1 &
    xvfb=$!
    DesktopPids+=($xvfb)
    display=
    read -r -t 20 display <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$display" ]; then
      echo "Xvfb did not start:" >&2
      cat "$DesktopRuntimeDir/xvfb.log" >&2
      return 1
    fi
    export DISPLAY=":$display"
    DesktopAnswers && break
    echo "StartDesktop: $DISPLAY does not answer; trying another display" >&2
  done
  # openbox is ready once it has announced itself on the root window. Now
  # and then it cannot open a display that has just answered; it is started
  # again when it gives up.
  local i openbox
  for attempt in 1 2 3; do
    openbox --sm-disable >"$DesktopRuntimeDir/openbox.log" 2>&1 &
    openbox=$!
    DesktopPids+=($openbox)
    for i in $(seq 200); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
      kill -0 "$openbox" 2>/dev/null || break
      sleep 0.05
    done
    kill -0 "$openbox" 2>/dev/null && break
    echo "StartDesktop: openbox gave up on $DISPLAY: $(cat "$DesktopRuntimeDir/openbox.log")" >&2
  done
  echo "openbox did not start on $DISPLAY:" >&2
  cat "$DesktopRuntimeDir/openbox.log" >&2
  kill -0 "$xvfb" 2>/dev/null || echo "Xvfb is gone:" >&2
  cat "$DesktopRuntimeDir/xvfb.log" >&2
  return 1
}

# Xvfb has reported its display ready, so it answers at once if at all.
DesktopAnswers() {
  local i
  for i in $(seq 20); do
    xprop -root -notype _NET_SUPPORTED >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# The window's _NET_WM_NAME exactly; empty when it is empty or missing. xprop
# shows whatever the caller's locale cannot print as octal escapes, so it
# always reads in C.UTF-8, which every Debian system has.
WindowTitle() {
  LC_ALL=C.UTF-8 xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null |
    sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
}
