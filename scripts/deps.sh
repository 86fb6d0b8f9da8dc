#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; quiet when all are there.
# Usage: deps.sh run|test
set -euo pipefail

run_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libx11-dev libxtst-dev
    libxi-dev libxkbfile-dev libxkbcommon-dev x11-xkb-utils ccache xdg-utils libxcb1-dev)
test_packages=(googletest libgtest-dev libgmock-dev clang libclang-rt-dev xvfb xauth openbox trayer
    xdotool x11-utils x11-xserver-utils dbus-x11 at-spi2-core python3 python3-pyatspi
    sxhkd)

# The tray program's tests validate shortcuts, read the printed PDF and check the package.
test_packages+=(desktop-file-utils poppler-utils lintian dpkg-dev fakeroot)

# The install test validates the AppStream descriptions and renders the manual pages.
test_packages+=(appstream man-db)

# The scanner's benchmarks compare with fd and gio.
test_packages+=(fd-find libglib2.0-bin)

# The scanner's end-to-end test moves its clock with libfaketime.
test_packages+=(libfaketime)

# The scanner's mount tests make btrfs and ext4 filesystems on loop devices.
test_packages+=(btrfs-progs e2fsprogs mount)

# The native Wayland backend: client library and protocol generator; its end-to-end tests run a
# headless sway with Qt's Wayland platform, and compare typing with wtype.
run_packages+=(libwayland-dev libwayland-bin wayland-protocols qt6-wayland)
test_packages+=(sway wtype)

# KDE Plasma, GNOME and other portal desktops: the session bus through sd-bus. The KDE end-to-end
# tests run a headless KWin with the desktop portal and its KDE backend on a bus of their own
# (dbus-daemon) and read the shortcut daemon's state (busctl, gdbus); the GNOME ones run a headless
# GNOME Shell (which needs nothing it recommends) with the portal typing goes through, and drive it
# over the session bus from Python.
run_packages+=(libsystemd-dev)
test_packages+=(kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde libkf5globalaccel-bin qtwayland5
    dbus-daemon systemd gnome-shell xdg-desktop-portal-gnome python3-gi)

wanted=("${run_packages[@]}")
[ "${1:-run}" = test ] && wanted+=("${test_packages[@]}")

missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
