#!/usr/bin/env bash
# Checks the desktop integration files with Debian's own validators, builds the Debian package
# in build/ (cpack), checks it with lintian and lists its contents; the built program answers
# --version and --help. Run after scripts/build.sh (scripts/test.sh runs that).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh" package
cd "$root/build"

desktop-file-validate "$root/packaging/merko.desktop"
appstreamcli validate --no-net "$root/packaging/org.example.merko.metainfo.xml"
mime=$(mktemp -d)
trap 'rm -rf "$mime"' EXIT
mkdir -p "$mime/packages"
cp "$root/packaging/merko-mime.xml" "$mime/packages/merko.xml"
update-mime-database "$mime"
test -f "$mime/application/x-merko-dictionary.xml"
test -f "$mime/application/x-apkg.xml"
test -f "$mime/application/x-colpkg.xml"
echo "MIME descriptions: application/x-merko-dictionary, application/x-apkg, application/x-colpkg registered"

env -u DISPLAY QT_QPA_PLATFORM= ./merko --version
env -u DISPLAY QT_QPA_PLATFORM= ./merko --help

rm -f merko_*.deb
cpack -G DEB
dpkg-deb --info merko_*.deb
dpkg-deb --contents merko_*.deb
lintian --fail-on error merko_*.deb
