#!/usr/bin/env bash
# An independent metafile reader must open a page file we wrote and find
# its text. Skips (77) where the reader is not installed.
set -euo pipefail
writer=$1
if ! command -v wmf2svg >/dev/null; then
    echo "wmf2svg not found (Debian package libwmf-bin); skipping"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp"
"$writer" "$work/tmp" "$work/page.wmf"
[ -z "$(ls -A "$work/tmp")" ] || { echo "page files left behind"; exit 1; }
wmf2svg -o "$work/page.svg" "$work/page.wmf"
# One text element per character cell: join their contents in order.
text=$(tr -d '\n' <"$work/page.svg" | grep -o '<text[^>]*>[^<]*</text>' | sed -e 's/<[^>]*>//g' | tr -d '\n\t')
for expected in 0001.PAGE VORTELSAMPLE; do
    case $text in
    *"$expected"*) ;;
    *) echo "'$expected' not in the SVG's text: '$text'"; exit 1 ;;
    esac
done
echo "wmf2svg read the page: $text"
