# Debian packages the project needs, and installing the ones that are missing.
# Sourced by scripts/run and scripts/test.

# To configure and build the program and its tests.
BIGTEXT_BUILD_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libpng-dev zlib1g-dev
    libx11-dev libxtst-dev libfontconfig-dev
)
# To run it: the X platform plugin, and a CJK font so the Chinese texts are drawn as characters.
BIGTEXT_RUN_PACKAGES=(qt6-qpa-plugins fontconfig fonts-wqy-microhei)
# A virtual X server with a window manager, and the tools that drive and capture it.
BIGTEXT_DISPLAY_PACKAGES=(xvfb xauth openbox x11-utils xdotool imagemagick)

# Runs a command as root: directly when we are root, otherwise through sudo.
bigtext_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "error: need root (or sudo) for: $*" >&2
        return 1
    fi
}

bigtext_package_installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

# Installs those of the given packages that are not installed yet; does nothing when all are.
bigtext_ensure_packages() {
    local missing=() p
    for p in "$@"; do
        bigtext_package_installed "$p" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    if [ -z "${BIGTEXT_APT_UPDATED:-}" ]; then
        bigtext_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q || return 1
        BIGTEXT_APT_UPDATED=1
    fi
    bigtext_as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}
