#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make package: builds the Debian package from the build tree BUILD and
# checks it as a Debian maintainer would. lintian -I --pedantic may show no
# tag beyond the package's own overrides; the AppStream metainfo must pass
# appstreamcli validate and the desktop entry desktop-file-validate without
# a word. A second build in the folder REPRO, configured afresh, must give
# the same .deb byte for byte: no build folder and no build time in it.
# SOURCE_DATE_EPOCH is the changelog's release date unless it is set.
set -euo pipefail
build=$1
repro=$2
top=$(cd "$(dirname "$0")/.." && pwd)

fail() {
  echo "make package: $*" >&2
  exit 1
}

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l "$build/packaging/changelog" -STimestamp)}

# The .deb that cpack writes in the build tree BUILD.
make_deb() {
  (cd "$1" && cpack -G DEB >cpack.log 2>&1) || { cat "$1/cpack.log" >&2; fail "cpack failed in $1"; }
  ls "$1"/toskarn_*_"$(dpkg --print-architecture)".deb
}

deb=$(make_deb "$build")
echo "make package: $deb"

cmake -S "$top" -B "$repro" -DCMAKE_BUILD_TYPE=Release -DTSK_BUILD_GUI=ON \
  -DTSK_BUILD_TESTS=OFF -DTSK_BUILD_BENCH=OFF >/dev/null
cmake --build "$repro" -j"$(nproc)" >/dev/null
again=$(make_deb "$repro")
if ! cmp "$deb" "$again"; then
  work=$(mktemp -d)
  dpkg -x "$deb" "$work/a" && dpkg -x "$again" "$work/b"
  diff -r --brief "$work/a" "$work/b" >&2 || true
  rm -rf "$work"
  fail "builds in $build and $repro give different packages"
fi
echo "make package: the build in $repro gives the same bytes"

lintian -I --pedantic --fail-on error,warning,info,pedantic "$deb" ||
  fail "lintian shows tags beyond the package's overrides"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg -x "$deb" "$work"
appstreamcli validate --no-net --pedantic "$work"/usr/share/metainfo/*.metainfo.xml ||
  fail "appstreamcli validate failed"
# The screenshot is served from this repository's main branch: the file
# must be in the tree.
shot=$(sed -n 's|.*<image>.*/raw/main/\(.*\)</image>.*|\1|p' "$work"/usr/share/metainfo/*.metainfo.xml)
[ -n "$shot" ] && [ -f "$top/$shot" ] || fail "the metainfo's screenshot ${shot:-(none)} is not in the repository"
said=$(desktop-file-validate "$work"/usr/share/applications/*.desktop 2>&1) || true
[ -z "$said" ] || fail "desktop-file-validate: $said"
echo "make package: $(basename "$deb") passes lintian, appstreamcli and desktop-file-validate"
