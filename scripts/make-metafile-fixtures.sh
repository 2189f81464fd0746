#!/bin/sh
# Regenerates the LibreOffice-made WMF and EMF proof pictures from shapes.svg.
# Needs LibreOffice Draw (libreoffice-draw) and the IPA Gothic fonts; run by hand, not by the build.
set -eu
dir="$(cd "$(dirname "$0")/../tests/fixtures/metafile" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for format in wmf emf; do
    libreoffice --headless -env:UserInstallation="file://$work/profile" \
        --convert-to "$format" --outdir "$work" "$dir/shapes.svg" >/dev/null
    cp "$work/shapes.$format" "$dir/shapes.$format"
done
ls -l "$dir"
