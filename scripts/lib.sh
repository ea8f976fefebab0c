# Shared by the scripts: quiet, idempotent package installation and paths.
# shellcheck shell=bash

TLV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TLV_ROOT

# Packages the Linux build and its tests need.
TLV_LINUX_PACKAGES=(
    g++ cmake ninja-build pkg-config make
    libcurl4-openssl-dev libsodium-dev libpugixml-dev nlohmann-json3-dev libmsgsl-dev libfmt-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev libcpp-httplib-dev openssl ca-certificates curl
)

# The libFuzzer runs need clang and its sanitizer runtimes on top.
TLV_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# Installs whatever of the named packages is missing; says nothing when all are there.
tlv_ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/tmp/tlv-apt.log 2>&1; then
        apt-get update -qq >/dev/null 2>&1 || true
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/tmp/tlv-apt.log 2>&1 || {
            cat /tmp/tlv-apt.log
            return 1
        }
    fi
}

# TLV_JOBS caps the parallel jobs (builds and ctest) when the machine is shared.
tlv_jobs() {
    local n
    n=$(nproc 2>/dev/null || echo 2)
    echo "${TLV_JOBS:-$n}"
}

# Configures (once) and builds a Linux build tree: tlv_build DIR [cmake args...]
# Line tables only (-g1): backtraces keep file and line while the trees of the
# four builds stay a third of their size (a machine builds them side by side).
tlv_build() {
    local dir="$1"
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$TLV_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "$@" >"$dir.configure.log" 2>&1 || {
            cat "$dir.configure.log"
            return 1
        }
    fi
    # TLV_TARGET_FILTER (a regular expression) builds only the matching targets.
    local targets=()
    if [ -n "${TLV_TARGET_FILTER:-}" ]; then
        # A tree configured before a target was added lists it only once
        # build.ninja is brought up to date.
        ninja -C "$dir" build.ninja >>"$dir.configure.log" 2>&1 || {
            cat "$dir.configure.log"
            return 1
        }
        mapfile -t targets < <(ninja -C "$dir" -t targets all | sed -n 's/^\([A-Za-z0-9_.-]*\): phony$/\1/p' |
            grep -v '^cmake_object_order' | grep -E "$TLV_TARGET_FILTER")
        [ ${#targets[@]} -gt 0 ] || { echo "no target matches $TLV_TARGET_FILTER"; return 1; }
        targets=(--target "${targets[@]}")
    fi
    cmake --build "$dir" -j "$(tlv_jobs)" "${targets[@]}" >"$dir.build.log" 2>&1 || {
        grep -E -B2 -A12 'error|Error' "$dir.build.log" | head -150
        return 1
    }
}

# ---------------------------------------------------------------- Windows build
# Packages of the MinGW-w64 cross build and of its test run under Wine and Xvfb.
# The header-only libraries and googletest's sources come from the Linux -dev
# packages; curl, libsodium, pugixml and fmt are built from Debian's source
# packages by scripts/build-win-deps (dpkg-dev unpacks them, autotools
# bootstraps libsodium).
TLV_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev cmake ninja-build pkg-config make
    dpkg-dev autoconf automake libtool
    nlohmann-json3-dev libmsgsl-dev libpugixml-dev googletest
    wine64 wine fonts-wine xvfb x11-utils imagemagick
)

# The Windows build tree; its deps/ folder caches the cross-built libraries and
# its wineprefix/ folder is the Wine prefix the tests run in.
TLV_WIN_BUILD="${TLV_WIN_BUILD:-$TLV_ROOT/build-win}"

# Wine as the tests run it: no debug chatter, no prompt for the Mono and Gecko
# installers (Debian packages neither), one prefix per build tree.
tlv_wine_env() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
}

# Debian 12 has no wine64 on the PATH; its loader lives here.
TLV_WINE=/usr/lib/wine/wine64

# Makes the Wine prefix once (5-11 s); a lock keeps parallel callers from racing
# to make it. Call after tlv_wine_env. The marker is written only once wineboot
# has finished, so a prefix cut short by an interruption is made again.
tlv_wine_prefix_ready() {
    local prefix="$1"
    [ -f "$prefix/.tlv-ready" ] && return 0
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.tlv-ready" ]; then
            "$TLV_WINE" wineboot --init >"$prefix.log" 2>&1 || {
                cat "$prefix.log" >&2
                echo "Could not create the Wine prefix $prefix" >&2
                exit 1
            }
            touch "$prefix/.tlv-ready"
        fi
    ) 9>"$prefix.lock"
}

tlv_wineserver() {
    if [ -x /usr/lib/wine/wineserver64 ]; then echo /usr/lib/wine/wineserver64; else echo wineserver; fi
}

# Starts Xvfb on a free display of its own and exports DISPLAY; its process id
# goes to TLV_XVFB_PID. Windows programs under Wine need a display to create
# any window, the tests' windows included. tlv_start_xvfb LOGFILE
tlv_start_xvfb() {
    local log="$1" fd number
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp >"$log" 2>&1 &
    TLV_XVFB_PID=$!
    if ! read -r -t 30 -u "$fd" number; then
        exec {fd}<&-
        echo "Xvfb did not start (see $log)" >&2
        return 1
    fi
    exec {fd}<&-
    export DISPLAY=":$number"
}
