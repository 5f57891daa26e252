# Sourced by the project's scripts: the Wine environment Morvane runs and is tested in.
# Code page 932 (ja_JP.UTF-8), a prefix inside the build folder, no Wine debug chatter.

MORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$MORVANE_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=ja_JP.UTF-8
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

morvane_xvfb_pid=

# Starts a private Xvfb and points DISPLAY at it.
morvane_start_display() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    morvane_xvfb_pid=$!
    local tries
    for tries in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$morvane_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "cannot start Xvfb" >&2
  return 1
}

# Creates the prefix on first use (and sets it up again when this set-up changes), then keeps
# one wineserver alive for the whole run.
morvane_prefix_version=2
morvane_start_wine() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ "$(cat "$WINEPREFIX/.morvane-ready" 2>/dev/null)" != "$morvane_prefix_version" ]; then
    echo "wine: setting up the prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    local explorer='HKCU\Software\Wine\Explorer'
    local fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    # One virtual desktop for every program: Wine draws the window frames itself, and hiding a
    # window does not wait for a window manager that Xvfb does not have.
    wine reg add "$explorer" /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add "$explorer\\Desktops" /v Default /d 1024x768 /f >/dev/null 2>&1
    # The Japanese system font every window asks for, as a Japanese Windows has it.
    wine reg add "$fonts" /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null 2>&1
    wine reg add "$fonts" /v 'MS PGothic' /d IPAPGothic /f >/dev/null 2>&1
    wineserver -w
    echo "$morvane_prefix_version" > "$WINEPREFIX/.morvane-ready"
  fi
  # Title-bar buttons are Marlett glyphs; without the font Wine draws them as the letters "0 1 r".
  # Wine finds it only inside the prefix, so it is copied there (also into older prefixes).
  local fonts_dir="$WINEPREFIX/drive_c/windows/Fonts"
  if [ ! -e "$fonts_dir/marlett.ttf" ] && [ -e /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$fonts_dir"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts_dir/"
  fi
  wineserver -p
  # Start Wine's own services now, detached from our output: a service started by the first test
  # would inherit the test runner's pipes and keep it waiting.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}

# A whole run: a private display, the prefix and its wineserver, all stopped when the script exits.
morvane_start_session() {
  trap morvane_stop_all EXIT
  morvane_start_display
  morvane_start_wine
}

morvane_stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$morvane_xvfb_pid" ]; then
    kill "$morvane_xvfb_pid" 2>/dev/null || true
    wait "$morvane_xvfb_pid" 2>/dev/null || true
    morvane_xvfb_pid=
  fi
}
