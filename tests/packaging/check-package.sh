#!/usr/bin/env bash
# Checks what users get: "install" installs the build into a scratch prefix, "deb" builds the
# Debian package and unpacks it into a scratch root. Both check the files and run the
# freedesktop validators on them; "deb" also checks the package's dependencies.
set -euo pipefail
build=$1 mode=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

case $mode in
install)
  root=$scratch/prefix
  cmake --install "$build" --prefix "$root" >/dev/null
  ;;
deb)
  (cd "$build" && cpack -G DEB -B "$scratch/out" >/dev/null)
  debs=("$scratch"/out/velmoa_*.deb)
  [ -f "${debs[0]}" ] || { echo "FAIL: cpack made no velmoa_*.deb"; exit 1; }
  deb=${debs[0]}
  echo "package: $(basename "$deb")"
  root=$scratch/root
  dpkg -x "$deb" "$root"
  root=$root/usr
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  # Libraries found by dpkg-shlibdeps (in the program and its print module), and what the program
  # loads by name at run time.
  for package in libqt6widgets6 libqt6printsupport6 libcups2 libjpeg62-turbo libexif12 qt6-qpa-plugins \
    fonts-ipafont-gothic fonts-ipafont-mincho fonts-aoyagi-kouzan-t timgm6mb-soundfont; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
  done
  [ "$(dpkg-deb -f "$deb" Package)" = velmoa ] || fail "package name is not velmoa"
  ;;
*)
  echo "usage: $0 BUILD_DIR install|deb"
  exit 2
  ;;
esac

expected=(
  bin/velmoa
  lib/velmoa/libvelmoa-print.so
  share/applications/velmoa.desktop
  share/icons/hicolor/scalable/apps/velmoa.svg
  share/metainfo/org.velmoa.velmoa.metainfo.xml
  share/mime/packages/velmoa.xml
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/velmoa.png")
done
for file in "${expected[@]}"; do
  [ -s "$root/$file" ] || fail "missing $file"
done
[ -x "$root/bin/velmoa" ] || fail "bin/velmoa is not executable"
if [ "$mode" = deb ]; then
  for file in bin/velmoa lib/velmoa/libvelmoa-print.so; do
    readelf -S "$root/$file" | grep -q "\.debug_info" && fail "$file keeps its debugging information"
  done
fi
# Printing is opened on the first print: the program itself needs neither Qt's print support nor
# the CUPS client, and the module offers the entry point the program looks for.
readelf -d "$root/bin/velmoa" | grep -Eq "NEEDED.*(libQt6PrintSupport|libcups)" && fail "bin/velmoa needs the print libraries"
nm -D --defined-only "$root/lib/velmoa/libvelmoa-print.so" | grep -q " velmoa_print_jobs$" ||
  fail "lib/velmoa/libvelmoa-print.so lacks its entry point"
for size in 16 48 256; do
  png=$root/share/icons/hicolor/${size}x${size}/apps/velmoa.png
  # Width and height are the two big-endian words after the signature and the IHDR header.
  side=$(od -An -tu1 -j16 -N8 "$png" | awk "{ print \$1*16777216+\$2*65536+\$3*256+\$4 \"x\" \$5*16777216+\$6*65536+\$7*256+\$8 }")
  [ "$side" = "${size}x${size}" ] || fail "$png is $side, not ${size}x${size}"
done

# desktop-file-validate prints nothing for a clean entry: hints and warnings count as failures too.
entry_report=$(desktop-file-validate "$root/share/applications/velmoa.desktop" 2>&1) || fail "desktop-file-validate"
echo "desktop-file-validate: ${entry_report:-no issues}"
[ -z "$entry_report" ] || fail "desktop-file-validate reported issues"
echo "appstreamcli validate --strict:"
appstreamcli validate --no-net --strict --pedantic "$root/share/metainfo/org.velmoa.velmoa.metainfo.xml" || fail "appstreamcli validate"
echo "appstreamcli validate-tree --strict:"
appstreamcli validate-tree --no-net --strict "$root" || fail "appstreamcli validate-tree"
# The MIME globs must be accepted by the database that installs them.
cp -r "$root/share/mime" "$scratch/mime"
XDG_DATA_HOME=$scratch update-mime-database "$scratch/mime" 2>"$scratch/mime.log" || fail "update-mime-database"
[ -s "$scratch/mime.log" ] && { cat "$scratch/mime.log"; fail "update-mime-database warned"; }
grep -q '^application/x-ms-wmd:\*\.wmd$' "$scratch/mime/globs" || fail "*.wmd is not in the MIME globs"

[ $failures -eq 0 ] && echo "all checks passed ($mode)"
exit $((failures > 0))
