#!/usr/bin/env bash
# Cross-builds libjpeg (IJG 6b interface) for 64-bit Windows from Debian's libjpeg-turbo
# source package into the cache, once. The system's apt sources are left alone: the source
# is fetched through a private deb-src list, made from them, with its own package lists.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

dest=$(jpeg_dir)
[ -f "$dest/.built" ] && exit 0

work="$DRAVOLIN_CACHE/libjpeg-src"
lock="$DRAVOLIN_CACHE/libjpeg.lock"
mkdir -p "$DRAVOLIN_CACHE"
exec 9>"$lock"
flock 9
[ -f "$dest/.built" ] && exit 0

log "building libjpeg (6b interface) for mingw-w64"
rm -rf "$work" "$dest"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"

# The Debian archives as the system's apt has them configured (its mirrors, suites and keys),
# turned into deb-src lines: no host is named here, so a machine with another mirror builds too.
list="$work/apt/sources.list"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
python3 "$DRAVOLIN_ROOT/tools/deb_src_lines.py" "$codename" >"$list" \
  || die "no Debian $codename archive in the apt sources (/etc/apt/sources.list, sources.list.d)"

apt_opts=(-o "Dir::Etc::SourceList=$list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
  -o APT::Sandbox::User=root)
apt-get "${apt_opts[@]}" -qq update >/dev/null || die "cannot read the deb-src lists"
(cd "$work/src" && apt-get "${apt_opts[@]}" -qq source --download-only libjpeg-turbo >/dev/null) \
  || die "cannot fetch the libjpeg-turbo source package"
dsc=$(ls "$work"/src/libjpeg-turbo_*.dsc | head -n 1)
# apt checked the downloaded files against the archive's signed index (the sources' keys);
# the maintainer's own signature on the .dsc cannot be checked without the maintainer's key,
# and dpkg-source would only say so.
(cd "$work/src" && dpkg-source -q --no-check -x "$dsc" tree >/dev/null) || die "cannot unpack $dsc"

cmake -S "$work/src/tree" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$DRAVOLIN_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$dest" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF \
  -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DWITH_CRT_DLL=OFF >"$work/configure.log" 2>&1 \
  || die "libjpeg configure failed, see $work/configure.log"
cmake --build "$work/build" >"$work/build.log" 2>&1 || die "libjpeg build failed, see $work/build.log"
cmake --install "$work/build" >/dev/null || die "libjpeg install failed"
basename "$dsc" .dsc >"$dest/.built"
rm -rf "$work"
log "libjpeg installed in $dest"
