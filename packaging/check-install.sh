#!/usr/bin/env bash
# Installs the build tree into a fresh prefix and checks the installed files.
# Checks whose tool is not installed are skipped.
#   check-install.sh BUILD_DIR PREFIX HAS_GUI(0/1)
set -euo pipefail
build=$1 prefix=$2 gui=$3
rm -rf "$prefix"
"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >/dev/null

status=0
fail() { echo "check-install: $*" >&2; status=1; }
expect() { for f in "$@"; do [ -f "$prefix/$f" ] || fail "missing $f"; done; }

expect bin/swatcher-render share/man/man1/swatcher-render.1 \
  share/mime/packages/swatcher.xml share/icons/hicolor/scalable/apps/swatcher.svg
if [ "$gui" = 1 ]; then
  expect bin/swatcher share/applications/swatcher.desktop share/man/man1/swatcher.1 \
    share/swatcher/examples/perlin-clouds.mtf
fi
"$prefix/bin/swatcher-render" --version | grep -q '^swatcher-render [0-9]' ||
  fail "installed swatcher-render --version"

if command -v desktop-file-validate >/dev/null && [ "$gui" = 1 ]; then
  out=$(desktop-file-validate "$prefix/share/applications/swatcher.desktop" 2>&1) ||
    fail "desktop entry: $out"
  [ -z "$out" ] || fail "desktop entry: $out"
fi
if command -v xmllint >/dev/null; then
  xmllint --noout "$prefix/share/mime/packages/swatcher.xml" \
    "$prefix/share/icons/hicolor/scalable/apps/swatcher.svg" || fail "XML not well-formed"
fi
if command -v man >/dev/null && command -v groff >/dev/null; then
  for page in "$prefix"/share/man/man1/*.1; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  done
fi
exit $status
