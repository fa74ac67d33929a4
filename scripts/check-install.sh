#!/usr/bin/env bash
# Checks what a user gets from a build: installs it into a temporary prefix,
# validates the desktop entry and the AppStream file, renders each manual page,
# runs each installed program's --version without a display, then builds the
# .deb, lists it and runs lintian on it. Usage: scripts/check-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr  # as the package lays it out, so the AppStream tree check finds everything

fail() { echo "check-install: $*" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

echo "-- cmake --install into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

share=$prefix/share
expected=(
  bin/mk843nb bin/mk843nb-cli bin/mk843nb-sim lib/mk843nb/mk843nb-cli-media
  share/applications/mk843nb.desktop
  share/icons/hicolor/scalable/apps/mk843nb.svg
  share/icons/hicolor/48x48/apps/mk843nb.png
  share/icons/hicolor/256x256/apps/mk843nb.png
  share/metainfo/com.example.mk843nb.metainfo.xml
  share/man/man1/mk843nb.1.gz share/man/man1/mk843nb-cli.1.gz share/man/man1/mk843nb-sim.1.gz
  share/doc/mk843nb/60-mk843nb.rules share/doc/mk843nb/copyright share/doc/mk843nb/changelog.gz
)
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done

echo "-- desktop entry and AppStream file"
desktop-file-validate "$share/applications/mk843nb.desktop"
# validate-tree also checks that the metainfo's launchable is an installed desktop entry.
appstreamcli validate-tree --no-net --pedantic "$root"
# The menu entry must start an installed program and find its icon.
exec_line=$(sed -n 's/^Exec=//p' "$share/applications/mk843nb.desktop")
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$share/applications/mk843nb.desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"
for size in 48 256; do
  file "$share/icons/hicolor/${size}x${size}/apps/$icon.png" | grep -q "$size x $size" \
    || fail "the ${size} px icon is not ${size} x ${size}"
done

echo "-- manual pages (man --warnings)"
for page in "$share"/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot render $page"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "mk843nb $version" \
    || fail "$(basename "$page") does not carry version $version"
done

echo "-- installed programs' --version without a display"
for program in mk843nb mk843nb-cli mk843nb-sim; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/$program" --version) \
    || fail "$program --version failed"
  [ "$out" = "$program $version" ] || fail "$program --version printed '$out', not '$program $version'"
done

echo "-- installed mk843nb-cli's page and tones chart (run by lib/mk843nb/mk843nb-cli-media)"
out=$root/out
mkdir -p "$out"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/mk843nb-cli" page \
  tests/fixtures/shipped_default.tbl --call 1 --wav "$out/page.wav" >/dev/null \
  || fail "the installed mk843nb-cli page failed"
[ -s "$out/page.wav" ] || fail "the installed mk843nb-cli page wrote no WAV file"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/mk843nb-cli" tones chart \
  tests/fixtures/shipped_default.tbl --out "$out/plan.svg" >/dev/null \
  || fail "the installed mk843nb-cli tones chart failed"
grep -q "<svg" "$out/plan.svg" || fail "the installed mk843nb-cli tones chart wrote no SVG"

echo "-- cpack -G DEB"
rm -f "$build"/mk843nb_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/mk843nb_"$version"_*.deb)
listing=$(dpkg-deb -c "$deb")
for file in "${expected[@]}"; do
  grep -q " \./usr/$file\$" <<<"$listing" || fail "not in the package: usr/$file"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
dpkg --dry-run -i "$deb" >/dev/null || fail "the package's dependencies are not met on this machine"
lintian --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2)
echo "Installed tree and package checked: $(basename "$deb")"
