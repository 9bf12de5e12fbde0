# Sourced by run.sh and test.sh: installs the Debian packages that are missing (as root).
kodexa_install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

KODEXA_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libicu-dev
    libjpeg62-turbo-dev zlib1g-dev libfreetype-dev libxcb1-dev fonts-liberation fonts-wine fontconfig qt6-translations-l10n librsvg2-bin
    openthesaurus-de-text)
# (The last is no build tool: the keyword search reads its word list at run time.)
KODEXA_TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev libsqlite3-dev sqlite3
    xvfb xauth poppler-utils cups printer-driver-cups-pdf openbox metacity icewm desktop-file-utils appstream man-db
    python3 qt6-base-private-dev libxcb-xtest0-dev)
# Not for the tests: what tools/accessibility_probe.sh needs to look at the program through the
# desktop's accessibility bus (orca only for its --orca).
KODEXA_PROBE_PACKAGES=(xvfb dbus openbox at-spi2-core python3-pyatspi orca)
