#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the .deb from the build tree BUILD, unpacks it into a temporary root
# and runs the unpacked programs: tskrun on an installed example sample, and
# toskarn far enough to show its main window. With lintian installed the
# package must also pass it without errors.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack could not build the package"
fi
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$work/pkg/toskarn_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); found: $(ls "$work/pkg")"

# Dependencies come from the libraries the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6; do
  [[ "$depends" == *"$lib "* || "$depends" == *"$lib," ]] || fail "Depends lacks $lib: $depends"
done

dpkg -x "$deb" "$work/root"
usr="$work/root/usr"
for f in bin/toskarn bin/tskrun bin/gssummar bin/gsstoce9 \
         share/toskarn/gulls.dat share/toskarn/modsz1.sys share/toskarn/gsmeanci.par \
         share/toskarn/guide/guide.md share/applications/toskarn.desktop \
         share/icons/hicolor/scalable/apps/toskarn.svg share/metainfo/io.github.toskarn.toskarn.metainfo.xml \
         share/man/man1/toskarn.1.gz share/man/man1/tskrun.1.gz share/man/man1/gssummar.1.gz \
         bin/tskconvert share/man/man1/tskconvert.1.gz share/toskarn/shorebirds.csv \
         share/doc/toskarn/copyright share/doc/toskarn/changelog.gz; do
  [ -e "$usr/$f" ] || fail "the package lacks /usr/$f"
done

# The guide's citation names this release and the package's home page.
homepage=$(dpkg-deb -f "$deb" Homepage)
grep -q "^> Toskarn, version $version:" "$usr/share/toskarn/guide/guide.md" ||
  fail "the guide's citation does not name version $version"
grep -qx "> $homepage" "$usr/share/toskarn/guide/guide.md" ||
  fail "the guide's citation does not name the home page $homepage"

# A folder of the user's with one example sample; the engine is found beside
# the unpacked tskrun, nowhere else.
mkdir "$work/run"
cp "$usr/share/toskarn/gulls.dat" "$work/run/"
cd "$work/run"
status=0
PATH=/usr/bin:/bin "$usr/bin/tskrun" gssummar gulls.dat >report.txt 2>tskrun.err || status=$?
[ "$status" -eq 0 ] || fail "tskrun ended with $status: $(cat tskrun.err)"
# The summary line holds the sample's group and animal counts, the first two
# lines of the sample file.
groups=$(sed -n 1p gulls.dat | tr -d ' \r')
animals=$(sed -n 2p gulls.dat | tr -d ' \r')
grep -Eq "Sample +1: +$groups +$animals " report.txt || fail "no summary of gulls.dat: $(cat report.txt)"
closing=$(printf '_%.0s' $(seq 79))
[ "$(tail -n 1 report.txt | tr -d '\r')" = "$closing" ] || fail "the report lacks its closing line"

status=0
out=$(QT_QPA_PLATFORM=offscreen timeout 60 "$usr/bin/toskarn" --show-and-quit 2>toskarn.err) ||
  status=$?
[ "$status" -eq 0 ] || fail "toskarn ended with $status: $(cat toskarn.err)"
[ "$out" = "toskarn: main window shown" ] || fail "toskarn printed: $out"
# The installed data reached the user's folder.
[ -f modsz1.sys ] && [ -f gsmeanci.par ] || fail "toskarn did not copy the method lists"

if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 || {
    cat "$work/lintian.txt" >&2
    fail "lintian found errors"
  }
fi
echo "package $(basename "$deb") installs and runs"
