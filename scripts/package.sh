#!/usr/bin/env bash
# Builds the two Debian packages, telvara (the window) and telvara-lookup (the
# command line), and checks them: lintian on both, appstreamcli and
# desktop-file-validate on what the window's package ships, the dependencies
# of each, and the packaged window on a Wayland compositor with no X server.
# Any error or warning fails.
cd "$(dirname "$0")/.."
source scripts/common.sh
ensure_packages dpkg-dev file lintian appstream desktop-file-utils weston

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/root" "$work/tmp"
root=$work/root

build build-package -DTELVARA_BUILD_TESTS=OFF -DTELVARA_BUILD_BENCH=OFF --log-level=WARNING
rm -f build-package/telvara*.deb
(cd build-package && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
window=$(echo build-package/telvara_*.deb)
lookup=$(echo build-package/telvara-lookup_*.deb)
failed=0
for deb in "$window" "$lookup"; do
  [ -f "$deb" ] || { echo "Missing package: $deb" >&2; exit 1; }
  echo "Package: $deb ($(dpkg-deb -f "$deb" Installed-Size) KiB installed)"
  echo "  Depends: $(dpkg-deb -f "$deb" Depends)"
  dpkg-deb -c "$deb"
  dpkg-deb -x "$deb" "$root"
done

echo "== dependencies"
# The command line must not pull in Qt or anything of the desktop; the window
# needs the Wayland platform plugin besides the X11 one.
if dpkg-deb -f "$lookup" Depends | tr ',' '\n' | grep -viE '^ *(libc6|libgcc-s1|libstdc\+\+6)( |$)'; then
  echo "telvara-lookup depends on more than the C++ runtime (above)." >&2
  failed=1
fi
for needed in qt6-qpa-plugins qt6-wayland; do
  dpkg-deb -f "$window" Depends | grep -qw "$needed" || { echo "telvara does not depend on $needed." >&2; failed=1; }
done

echo "== lintian"
# Root gets a notice about privileges on stderr; it is not a finding.
# lintian leaves files in TMPDIR behind: give it one that goes away.
TMPDIR=$work/tmp lintian --fail-on error,warning --tag-display-limit 0 "$window" "$lookup" \
  2> >(grep -v 'running with root privileges' >&2) || failed=1

echo "== appstreamcli validate --no-net"
out=$(appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml 2>&1) || failed=1
echo "$out"
grep -q '^[EW]:' <<<"$out" && failed=1

echo "== desktop-file-validate"
out=$(desktop-file-validate "$root"/usr/share/applications/*.desktop 2>&1) || failed=1
[ -z "$out" ] || { echo "$out"; failed=1; }

echo "== the packaged window on Wayland alone (weston, headless, no X server)"
# WAYLAND_DEBUG shows the client's requests: the window counts as shown when
# it has titled its top-level surface with the caption and committed it. In a
# network namespace of its own where the system allows, so that a Telvara
# the user has open does not keep this one out.
runtime=$work/runtime
mkdir -m 700 "$runtime"
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=telvara-check --idle-time=0 \
  >"$work/weston.log" 2>&1 &
weston=$!
ns=()
if [ "$(id -u)" -eq 0 ]; then unshare -n true 2>/dev/null && ns=(unshare -n); else unshare -rn true 2>/dev/null && ns=(unshare -rn); fi
shown=0
for _ in $(seq 100); do [ -S "$runtime/telvara-check" ] && break; sleep 0.1; done
env -u DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=telvara-check WAYLAND_DEBUG=client \
  "${ns[@]}" "$root/usr/bin/telvara" 2>"$work/wayland.log" &
telvara=$!
for _ in $(seq 300); do
  kill -0 $telvara 2>/dev/null || break
  if grep -q 'xdg_toplevel@[0-9]*\.set_title(" Telvara (045)' "$work/wayland.log" &&
     grep -q 'wl_surface@[0-9]*\.commit()' "$work/wayland.log"; then
    shown=1
    break
  fi
  sleep 0.1
done
kill $telvara $weston 2>/dev/null || true
status=0
wait $telvara 2>/dev/null || status=$?
wait $weston 2>/dev/null || true
if [ $shown -eq 1 ]; then
  echo "The window came up on Wayland."
else
  [ $status -eq 0 ] && echo "Telvara ended at once: another Telvara of this user runs. Close it and check again." >&2
  grep -v '^\[' "$work/wayland.log" | tail -n 5 >&2
  echo "The packaged window did not come up on Wayland." >&2
  failed=1
fi

if [ $failed -ne 0 ]; then
  echo "Package checks failed." >&2
  exit 1
fi
echo "Package checks passed: $window $lookup"
