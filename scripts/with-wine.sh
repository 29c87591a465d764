#!/usr/bin/env bash
# Runs a command inside a prepared Wine session and returns the command's exit code:
#   scripts/with-wine.sh ctest --test-dir build/win --output-on-failure
#
# The session is always fresh: its own Xvfb screen (1024x768x24, never the caller's
# DISPLAY), a new 32-bit WINEPREFIX (default build/wine/prefix, or $VELMORA_WINEPREFIX),
# code page 936 through LC_ALL=zh_CN.UTF-8, and a CJK font standing in for SimSun so
# Chinese text renders instead of boxes. Everything started here is stopped at the end.
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

prefix=${VELMORA_WINEPREFIX:-$PWD/build/wine/prefix}
case "$prefix" in
    /*) ;;
    *) prefix=$PWD/$prefix ;;
esac

xvfb_pid=
cleanup() {
    # The prefix's wineserver must go before the X server it draws on.
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- X server: the first display number from :91 whose lock Xvfb can take. ---------
start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X${n}-lock" ] && continue
        [ -e "/tmp/.X11-unix/X${n}" ] && continue
        Xvfb ":${n}" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        xvfb_pid=$!
        local i
        for i in $(seq 1 100); do
            if [ -e "/tmp/.X11-unix/X${n}" ]; then
                export DISPLAY=":${n}"
                return 0
            fi
            # Lost the race for this number to another server: try the next one.
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.05
        done
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    echo "with-wine.sh: no free X display between :91 and :140" >&2
    return 1
}
unset DISPLAY
start_xvfb

# --- Wine prefix. ------------------------------------------------------------------
export WINEPREFIX=$prefix
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine needs no host locale for this; bash would warn that it has none.
{ export LC_ALL=zh_CN.UTF-8; } 2>/dev/null

# A wineserver left running on an old prefix at this path would serve the new one.
wineserver -k >/dev/null 2>&1 || true
started=$(date +%s.%N)
rm -rf "$prefix"
mkdir -p "$prefix"
# A persistent server: it would otherwise shut down (and the desktop with it) in the
# idle seconds between two test programs, and each restart costs time.
wineserver -p
wineboot -i >/dev/null 2>&1

# SimSun and friends are what Chinese Windows programs ask for; map them to the
# installed WenQuanYi font. The .reg file is UTF-16LE with a BOM so that the Chinese
# value names reach the registry intact whatever the code page.
reg_file=$prefix/velmora-fonts.reg
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in "宋体" "SimSun" "新宋体" "NSimSun"; do
        printf '"%s"="WenQuanYi Zen Hei"\r\n' "$face"
    done
    printf '\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg_file"
wine regedit /S "$(winepath -w "$reg_file" 2>/dev/null)" >/dev/null 2>&1
printf 'with-wine.sh: display %s, prefix %s ready in %.1f s\n' "$DISPLAY" "$prefix" \
    "$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')" >&2

# --- The command. ------------------------------------------------------------------
set +e
"$@"
status=$?
set -e
exit "$status"
