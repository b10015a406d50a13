# Shared by the set-up commands: installs what the build, the program and the tests
# need when it is missing, and configures the build directory.
# shellcheck shell=bash

VELMORA_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev qt6-translations-l10n libgl-dev
    libqt6sql6-sqlite libqt6sql6-psql postgresql
    libgtest-dev libbenchmark-dev
    clang libclang-rt-dev clang-format
    locales fonts-dejavu-core xvfb xauth
    dpkg-dev file librsvg2-bin
    acl
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "Need root rights to run: $*" >&2
        return 1
    fi
}

ensure_packages() {
    local missing=()
    local package
    for package in "${VELMORA_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# The tests also run under an Italian locale, whose decimal comma must not leak in.
ensure_locale() {
    local wanted="$1"
    if locale -a 2>/dev/null | grep -qix "${wanted/UTF-8/utf8}"; then
        return 0
    fi
    as_root sed -i "s/^# *\(${wanted} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${wanted} UTF-8" /etc/locale.gen || echo "${wanted} UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
}

# configure_build DIR [cmake options...]
configure_build() {
    local dir="$1"
    shift
    # ccache, where installed, keeps rebuilds of several build directories quick.
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
}
