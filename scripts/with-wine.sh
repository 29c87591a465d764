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
prefix=${prefix%/}
if [ -z "$prefix" ] || [ "$prefix" = "$HOME" ]; then
    echo "with-wine.sh: refusing to delete and re-create '$prefix' as a Wine prefix" >&2
    exit 2
fi

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
        Xvfb ":${n}" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 9>&- &
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
# Two sessions on one prefix would delete it under each other: the second one waits.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
if ! flock -n 9; then
    echo "with-wine.sh: waiting for the other session using $prefix" >&2
    flock 9
fi

unset DISPLAY
start_xvfb

# --- Wine prefix. ------------------------------------------------------------------
export WINEPREFIX=$prefix
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko install dialogs, and no menu entries written into the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Code page 936 comes from the locale's name alone, but Wine encodes file names in the host
# locale's character set: without a real zh_CN.UTF-8 locale a Chinese folder name cannot be
# created ("file not found"). Build one from the locales package's sources once, privately.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; then
    locale_dir=${VELMORA_LOCALE_DIR:-$(dirname "$prefix")/locale}
    if [ ! -d "$locale_dir/zh_CN.UTF-8" ]; then
        mkdir -p "$locale_dir"
        scratch=$(mktemp -d "$locale_dir/.build.XXXXXX")
        if localedef -i zh_CN -f UTF-8 "$scratch/zh_CN.UTF-8" >/dev/null 2>&1; then
            mv "$scratch/zh_CN.UTF-8" "$locale_dir/" 2>/dev/null || true
        else
            echo "with-wine.sh: localedef failed (package locales missing?): Chinese file names will not work" >&2
        fi
        rm -rf "$scratch"
    fi
    export LOCPATH=$locale_dir
fi
# (This shell itself does not see LOCPATH and would warn that it has no such locale.)
{ export LC_ALL=zh_CN.UTF-8; } 2>/dev/null

# A wineserver left running on an old prefix at this path would serve the new one.
wineserver -k >/dev/null 2>&1 || true
started=$(date +%s.%N)
rm -rf "$prefix"
mkdir -p "$prefix"
# A persistent server: it would otherwise shut down (and the desktop with it) in the
# idle seconds between two test programs, and each restart costs time.
# (Started programs do not inherit the lock, fd 9: it must end with this script.)
wineserver -p 9>&-
wineboot -i >/dev/null 2>&1 9>&-
# Debian's Wine does not look into its own font folder (package fonts-wine): without
# Marlett the caption buttons show letters, without Tahoma dialogs fall back to other faces.
if [ -d /usr/share/wine/fonts ]; then
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi

# Registry settings. SimSun and friends are what Chinese Windows programs ask for: map them
# to the installed WenQuanYi font. The .reg file is UTF-16LE with a BOM so that the Chinese
# value names reach the registry intact whatever the code page.
reg_file=$prefix/velmora-settings.reg
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in "宋体" "SimSun" "新宋体" "NSimSun"; do
        printf '"%s"="WenQuanYi Zen Hei"\r\n' "$face"
    done
    printf '\r\n'
    # No window manager runs on Xvfb. Wine draws the frames and captions itself, so that
    # screenshots show them; and it does not wait for a window manager to acknowledge each
    # hidden window (that wait times out after 2 s, once for every window closed).
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n"Managed"="N"\r\n\r\n'
    # A crashing program ends instead of waiting behind Wine's crash dialog.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg_file"
wine regedit /S "$(winepath -w "$reg_file" 2>/dev/null)" >/dev/null 2>&1 9>&-
printf 'with-wine.sh: display %s, prefix %s ready in %.1f s\n' "$DISPLAY" "$prefix" \
    "$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')" >&2

# --- The command. ------------------------------------------------------------------
set +e
"$@" 9>&-
status=$?
set -e
exit "$status"
