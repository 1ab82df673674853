#!/usr/bin/env bash
# The .deb package as a user gets it: built from the build folder, unpacked
# into a scratch root, its programs run from there, its desktop metadata
# accepted by the freedesktop validators, and its dependencies the runtime
# libraries, never -dev packages.
#
#   package_check.sh BUILD_DIR SCRATCH_DIR SAMPLE_TABLE
set -euo pipefail
build=$1 scratch=$2 sample=$3
rm -rf "$scratch"
mkdir -p "$scratch/root"

cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/vortel_*.deb)
dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root

failed=0
fail() { echo "FAIL: $*"; failed=1; }

for file in usr/bin/vortel usr/bin/vortel-cli usr/bin/vortel-cli-pdf \
    usr/share/applications/vortel.desktop usr/share/mime/packages/vortel.xml \
    usr/share/metainfo/vortel.metainfo.xml usr/share/icons/hicolor/scalable/apps/vortel.svg \
    usr/share/icons/hicolor/48x48/apps/vortel.png usr/share/icons/hicolor/256x256/apps/vortel.png \
    usr/share/man/man1/vortel.1 usr/share/man/man1/vortel-cli.1 usr/share/man/man1/vortel-cli-pdf.1 \
    usr/share/doc/vortel/README.md; do
    [ -s "$root/$file" ] || fail "the package lacks $file"
done

version=$("$root/usr/bin/vortel-cli" --version) || fail "vortel-cli --version does not run"
[[ $version == "vortel-cli "[0-9]* ]] || fail "vortel-cli --version says '$version'"
# The installed vortel-cli hands printing to the twin installed beside it.
"$root/usr/bin/vortel-cli" structure "$sample" | grep -q "^Records" || fail "the installed vortel-cli cannot read a table"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/vortel-cli" print "$sample" "$scratch/listing.pdf" >/dev/null ||
    fail "the installed vortel-cli cannot print through its twin"
[ -s "$scratch/listing.pdf" ] || fail "no listing was printed"
"$root/usr/bin/vortel-cli" export "$sample" "$scratch/export.xlsx" >/dev/null ||
    fail "the installed vortel-cli cannot write a workbook"

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "Depends lacks the Qt widgets runtime: $depends"
[[ $depends == *libxlsxwriter* ]] || fail "Depends lacks the workbook writer's runtime: $depends"
[[ $depends == *libzip* && $depends == *libexpat* ]] || fail "Depends lacks the workbook reader's runtime: $depends"
[[ $depends == *libsqlite3-0* ]] || fail "Depends lacks the query engine's runtime: $depends"
[[ $depends != *-dev* ]] || fail "Depends names a -dev package: $depends"

desktop-file-validate "$root/usr/share/applications/vortel.desktop" || fail "desktop-file-validate refuses the entry"
grep -q "^MimeType=application/x-dbf;" "$root/usr/share/applications/vortel.desktop" || fail "the entry claims no tables"
appstream-util validate-relax --nonet "$root/usr/share/metainfo/vortel.metainfo.xml" >/dev/null ||
    fail "appstream-util refuses the metainfo"
# The page's own source (roff escapes the hyphen), so that no man reader is needed.
grep -qF 'copy\-to' "$root/usr/share/man/man1/vortel-cli.1" || fail "the vortel-cli manual lacks its commands"

[ $failed -eq 0 ] && echo "package $(basename "$deb") checked"
exit $failed
