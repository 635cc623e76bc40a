# Shared by run.sh and test.sh: install what the build needs, then build as the invoking user.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${KESTRUNE_BUILD_DIR:-$ROOT/build}
PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-serialport-dev libgtest-dev socat fonts-liberation2 desktop-file-utils)

# Run a command as the user behind sudo, so the build tree is theirs and the window opens on
# their display; as plain root it runs as root.
as_user() {
    if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
        sudo -E -u "$SUDO_USER" -- "$@"
    else
        "$@"
    fi
}

install_packages() {
    local missing=()
    for package in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}; run this command as root or through sudo." >&2
        exit 1
    fi
    echo "Installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    as_user cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    as_user cmake --build "$BUILD_DIR" -j"$(nproc)"
}
