#!/usr/bin/env bash
# Cross-builds SQLite and libjpeg-turbo as static libraries for 32-bit Windows
# (MinGW-w64 i686) from Debian's source packages, and caches the results inside
# the build tree, one folder per Debian source version.
#
# Usage: scripts/build-thirdparty.sh BUILD_ROOT
#
# Produces, under BUILD_ROOT/thirdparty:
#   sqlite-<version>/{include/sqlite3.h,lib/libsqlite3.a}
#   libjpeg-<version>/{include/{jpeglib.h,jconfig.h,jmorecfg.h,jerror.h},lib/libjpeg.a}
#   paths.cmake   sets VELMORA_SQLITE_DIR and VELMORA_JPEG_DIR (absolute folders)
#   src/          downloaded Debian source packages
#   logs/         output of the noisy steps
#
# A versioned folder counts as done once its stamp file (written last) exists
# and records the same version and build recipe; otherwise it is rebuilt from
# scratch. Needs: i686-w64-mingw32-gcc-posix, cmake, make, gcc, tclsh,
# dpkg-source, and a deb-src entry (scripts/install-deps.sh sets one up).
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $0 BUILD_ROOT" >&2
    exit 2
fi

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
toolchain=$repo/cmake/mingw-i686.cmake
mkdir -p "$1"
build_root=$(cd "$1" && pwd)

tp=$build_root/thirdparty
src_dir=$tp/src
log_dir=$tp/logs
work_dir=$tp/work
mkdir -p "$src_dir" "$log_dir" "$work_dir"

cross_cc=i686-w64-mingw32-gcc-posix
cross_ar=i686-w64-mingw32-ar
jobs=2
stamp_name=.velmora-stamp

# Velmora opens DB.mdb from two threads (the window and the team library's check), each
# connection staying on the thread that opened it: SQLITE_THREADSAFE=2 (multi-thread) is the
# mode made for that. Note that SQLITE_WIN32_NO_ANSI is tested with #ifdef, so any value (even 0) would
# remove the ANSI code paths; it is left undefined on purpose. SQLITE_WIN32_NO_OVERLAPPED reads and
# writes a page at the handle's position (set first) instead of at an offset given with each call:
# Wine asks its server about every call given an offset (about 25 us, a search over 100,000
# templates then spent 130 ms on them alone), and each connection has a handle of its own.
sqlite_cflags=(-O2 -DSQLITE_THREADSAFE=2 -DSQLITE_OMIT_LOAD_EXTENSION
               -DSQLITE_DEFAULT_FOREIGN_KEYS=0 -DSQLITE_DQS=0 -DSQLITE_WIN32_NO_OVERLAPPED)
jpeg_cmake_opts=(-DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1
                 -DWITH_TURBOJPEG=0 -DCMAKE_BUILD_TYPE=Release)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

die() {
    echo "build-thirdparty: $*" >&2
    exit 1
}

# run LOG STEP CMD...: appends CMD's output to LOG; on failure shows LOG's tail.
run() {
    local log=$1 step=$2
    shift 2
    echo "### $step: $*" >>"$log"
    if ! "$@" >>"$log" 2>&1; then
        echo "build-thirdparty: $step failed; last lines of $log:" >&2
        tail -n 25 "$log" | cut -c1-300 >&2
        exit 1
    fi
}

for tool in "$cross_cc" "$cross_ar" cmake make tclsh dpkg-source apt-get; do
    command -v "$tool" >/dev/null || die "missing tool: $tool (run scripts/install-deps.sh)"
done
[ -f "$toolchain" ] || die "missing toolchain file $toolchain"

# --- Which versions would apt-get source fetch? ------------------------------
# The .dsc file names carry the version without any epoch ("1:"), which keeps
# the folder names free of colons.
# Asked from an empty folder: where the files already exist, apt-get prints
# "Skipping already downloaded file" instead of their names.
print_uris() {
    local q
    q=$(mktemp -d "$work_dir/query.XXXXXX")
    (cd "$q" && LC_ALL=C apt-get source --print-uris sqlite3 libjpeg-turbo 2>&1) || true
    rm -rf "$q"
}
uris=$(print_uris)
dsc_of() {  # dsc_of PACKAGE -> file name of that package's .dsc, or nothing
    awk -v p="$1" '$2 ~ "^" p "_.*\\.dsc$" {print $2; exit}' <<<"$uris"
}
if [ -z "$(dsc_of sqlite3)" ] || [ -z "$(dsc_of libjpeg-turbo)" ]; then
    # Usually "Unable to find a source package": the deb-src lists are stale.
    apt_log=$log_dir/apt-update.log
    : >"$apt_log"
    run "$apt_log" "apt-get update" env LC_ALL=C "${sudo_cmd[@]}" apt-get update
    uris=$(print_uris)
fi
sqlite_dsc=$(dsc_of sqlite3)
jpeg_dsc=$(dsc_of libjpeg-turbo)
if [ -z "$sqlite_dsc" ] || [ -z "$jpeg_dsc" ]; then
    echo "$uris" >&2
    die "apt-get source cannot find sqlite3/libjpeg-turbo (is a deb-src entry set up? see scripts/install-deps.sh)"
fi
version_of() {  # sqlite3_3.40.1-2+deb12u2.dsc -> 3.40.1-2+deb12u2
    local v=${1#*_}
    echo "${v%.dsc}"
}
sqlite_ver=$(version_of "$sqlite_dsc")
jpeg_ver=$(version_of "$jpeg_dsc")

sqlite_out=$tp/sqlite-$sqlite_ver
jpeg_out=$tp/libjpeg-$jpeg_ver
sqlite_recipe="sqlite3 $sqlite_ver ${sqlite_cflags[*]}"
jpeg_recipe="libjpeg-turbo $jpeg_ver ${jpeg_cmake_opts[*]}"

is_cached() {  # is_cached FOLDER LIBRARY RECIPE
    [ -f "$1/$stamp_name" ] && [ -f "$1/lib/$2" ] &&
        [ "$(cat "$1/$stamp_name")" = "$3" ]
}

# fetch_and_unpack LOG DSC TREE: downloads the source package (apt-get skips
# files it already has) and unpacks it, Debian patches applied, into TREE.
# dpkg-source also copies the upstream tarballs next to TREE, so TREE's parent
# should be a scratch folder of its own.
fetch_and_unpack() {
    local log=$1 dsc=$2 tree=$3 pkg=${2%%_*}
    if [ ! -f "$src_dir/$dsc" ]; then
        run "$log" "apt-get source $pkg" \
            env -C "$src_dir" LC_ALL=C apt-get source --download-only "$pkg"
    fi
    [ -f "$src_dir/$dsc" ] || die "apt-get source did not produce $src_dir/$dsc (see $log)"
    rm -rf "$tree"
    run "$log" "dpkg-source -x $dsc" dpkg-source -x "$src_dir/$dsc" "$tree"
}

# --- SQLite --------------------------------------------------------------------
build_sqlite() {
    local log=$log_dir/sqlite.log scratch=$work_dir/sqlite
    local tree=$scratch/sqlite3-$sqlite_ver
    : >"$log"
    rm -rf "$sqlite_out" "$scratch"
    mkdir -p "$scratch"
    fetch_and_unpack "$log" "$sqlite_dsc" "$tree"

    # Debian ships the full source tree; a native configure + make generates
    # the amalgamation (this needs tclsh), which is then cross-compiled.
    run "$log" "sqlite configure" env -C "$tree" ./configure --disable-tcl
    run "$log" "make sqlite3.c" make -C "$tree" -j"$jobs" sqlite3.c
    run "$log" "compile sqlite3.c" \
        "$cross_cc" "${sqlite_cflags[@]}" -c "$tree/sqlite3.c" -o "$tree/sqlite3-mingw.o"

    mkdir -p "$sqlite_out/include" "$sqlite_out/lib"
    run "$log" "archive libsqlite3.a" \
        "$cross_ar" rcs "$sqlite_out/lib/libsqlite3.a" "$tree/sqlite3-mingw.o"
    cp "$tree/sqlite3.h" "$sqlite_out/include/"
    printf '%s\n' "$sqlite_recipe" >"$sqlite_out/$stamp_name"
    rm -rf "$scratch"
}

# --- libjpeg-turbo -------------------------------------------------------------
build_jpeg() {
    local log=$log_dir/libjpeg.log scratch=$work_dir/libjpeg
    local tree=$scratch/libjpeg-turbo-$jpeg_ver bld=$scratch/build stage=$scratch/stage
    : >"$log"
    rm -rf "$jpeg_out" "$scratch"
    mkdir -p "$scratch"
    fetch_and_unpack "$log" "$jpeg_dsc" "$tree"

    # An absolute install prefix is required: the default for a Windows target
    # is a c:/ path, which makes configure fail.
    run "$log" "libjpeg cmake configure" \
        cmake -S "$tree" -B "$bld" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            "${jpeg_cmake_opts[@]}" -DCMAKE_INSTALL_PREFIX="$stage"
    run "$log" "libjpeg build" cmake --build "$bld" -j "$jobs"
    run "$log" "libjpeg install" cmake --install "$bld"

    local lib
    lib=$(find "$stage" -name libjpeg.a -print -quit)
    [ -n "$lib" ] || die "libjpeg.a not found under $stage (see $log)"
    mkdir -p "$jpeg_out/include" "$jpeg_out/lib"
    cp "$lib" "$jpeg_out/lib/libjpeg.a"
    local h
    for h in jpeglib.h jconfig.h jmorecfg.h jerror.h; do
        cp "$stage/include/$h" "$jpeg_out/include/"
    done
    printf '%s\n' "$jpeg_recipe" >"$jpeg_out/$stamp_name"
    rm -rf "$scratch"
}

if is_cached "$sqlite_out" libsqlite3.a "$sqlite_recipe"; then
    echo "sqlite:  cached $sqlite_out"
else
    build_sqlite
    echo "sqlite:  built  $sqlite_out"
fi

if is_cached "$jpeg_out" libjpeg.a "$jpeg_recipe"; then
    echo "libjpeg: cached $jpeg_out"
else
    build_jpeg
    echo "libjpeg: built  $jpeg_out"
fi

# Written via a temporary file so a reader never sees half of it.
paths=$tp/paths.cmake
cat >"$paths.tmp" <<EOF
# Generated by scripts/build-thirdparty.sh; do not edit.
set(VELMORA_SQLITE_DIR "$sqlite_out")
set(VELMORA_JPEG_DIR "$jpeg_out")
EOF
mv -f "$paths.tmp" "$paths"
