#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Velmora.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(cmake g++ make pkg-config g++-mingw-w64-i686-posix mingw-w64-tools
          libsqlite3-dev libjpeg-dev libgtest-dev googletest tcl
          wine wine32:i386 xvfb xauth imagemagick fonts-wqy-zenhei fonts-wine xdotool fp-utils libchm-bin locales
          dpkg-dev ca-certificates clang-format nsis
          # The MSI: wixl builds it, msitools' msibuild sets what wixl cannot express.
          wixl msitools
          # The check of Group Policy's templates (policy/).
          libxml2-utils
          # The pinyin search's readings: the build writes its table from Unicode's Unihan data.
          unicode-data bzip2
          # The team library's tests: a private PostgreSQL 15 server, reached from the 32-bit
          # program through Wine's odbc32, which hands the calls to the host's 32-bit unixODBC
          # and psqlODBC. libpq5:i386 exists only at the newest 15.x and must match the amd64
          # one, so both are named: apt then moves the server and its client to that version.
          postgresql-15 postgresql-client-15 libpq5 libpq5:i386
          libodbc2:i386 odbc-postgresql:i386 odbcinst
          # A server the team library does not support, for the test of its refusal.
          libsqliteodbc:i386)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    need_update=1
fi

# Debian's source packages of SQLite and libjpeg-turbo are cross-built for MinGW.
src_list=/etc/apt/sources.list.d/velmora-deb-src.sources
if [ ! -f "$src_list" ]; then
    uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    [ -n "$uri" ] || uri=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
    printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$uri" | "${sudo_cmd[@]}" tee "$src_list" >/dev/null
    need_update=1
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# The two libpq5 must be the same version: when the 32-bit one is missing, the amd64 one and
# the server built against it are named too, so that apt moves them to the same version.
if printf '%s\n' "${missing[@]}" | grep -qx 'libpq5:i386'; then
    missing+=(libpq5 postgresql-15 postgresql-client-15)
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
    "${sudo_cmd[@]}" apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
