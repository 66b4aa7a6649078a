#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian, appstreamcli and
# desktop-file-validate on what the package ships. Any error or warning fails.
cd "$(dirname "$0")/.."
source scripts/common.sh
ensure_packages dpkg-dev file lintian appstream desktop-file-utils

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/root" "$work/tmp"
root=$work/root

build build-package -DTELVARA_BUILD_TESTS=OFF -DTELVARA_BUILD_BENCH=OFF --log-level=WARNING
rm -f build-package/telvara_*.deb
(cd build-package && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(echo build-package/telvara_*.deb)
echo "Package: $deb"
dpkg-deb -c "$deb"
dpkg-deb -x "$deb" "$root"

failed=0
echo "== lintian"
# Root gets a notice about privileges on stderr; it is not a finding.
# lintian leaves files in TMPDIR behind: give it one that goes away.
TMPDIR=$work/tmp lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
  failed=1

echo "== appstreamcli validate --no-net"
out=$(appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml 2>&1) || failed=1
echo "$out"
grep -q '^[EW]:' <<<"$out" && failed=1

echo "== desktop-file-validate"
out=$(desktop-file-validate "$root"/usr/share/applications/*.desktop 2>&1) || failed=1
[ -z "$out" ] || { echo "$out"; failed=1; }

if [ $failed -ne 0 ]; then
  echo "Package checks failed." >&2
  exit 1
fi
echo "Package checks passed: $deb"
