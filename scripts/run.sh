#!/usr/bin/env bash
# The run command: installs what is missing, builds, lays out a program folder
# (run/Velmora: Velmora.exe and a fresh DB.mdb) and starts Velmora under Wine.
# With no display it starts Xvfb, waits for the main window and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
mkdir -p build
scripts/build.sh >build/run-build.log 2>&1 || { tail -40 build/run-build.log; exit 1; }

folder=$PWD/run/Velmora
rm -rf "$folder"
mkdir -p "$folder"
cp build/win/src/app/Velmora.exe "$folder/"
build/host/tools/VelmoraDb new "$folder/DB.mdb" >/dev/null
[ -f build/win/help/Help.chm ] && cp build/win/help/Help.chm "$folder/"

export WINEPREFIX=$PWD/run/wineprefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
{ export LC_ALL=zh_CN.UTF-8; } 2>/dev/null

xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    Xvfb :89 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:89
    sleep 1
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    # Chinese windows ask for SimSun; map it to the installed WenQuanYi font.
    reg=$WINEPREFIX/velmora-fonts.reg
    { printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
      for face in "宋体" "SimSun" "新宋体" "NSimSun"; do printf '"%s"="WenQuanYi Zen Hei"\r\n' "$face"; done
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
    wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
fi

echo "Velmora: program folder $folder"
if [ -z "$xvfb_pid" ]; then
    echo "Starting Velmora on display $DISPLAY (Ctrl+A over a text box, then double-click a template)."
    cd "$folder" && exec wine Velmora.exe
fi

(cd "$folder" && wine Velmora.exe >/dev/null 2>&1 &)
for _ in $(seq 1 100); do
    xdotool search --name '^MainFrm$' >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 1
mkdir -p build
import -window root build/velmora-run.png
echo "No display was set: Velmora runs on a private Xvfb screen ($DISPLAY);"
echo "its main window was saved as build/velmora-run.png. Stopping it now."
wineserver -k >/dev/null 2>&1 || true
kill "$xvfb_pid" 2>/dev/null || true
