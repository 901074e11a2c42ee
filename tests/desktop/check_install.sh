#!/usr/bin/env bash
# check_install.sh BUILD_DIR PREFIX: installs BUILD_DIR into PREFIX (emptied first), then
# checks the programs, the desktop entry, the icons and the AppStream metainfo there.
set -euo pipefail
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
for f in bin/editeur-couples bin/couples-cli \
  share/applications/editeur-couples.desktop \
  share/icons/hicolor/scalable/apps/editeur-couples.svg \
  share/icons/hicolor/256x256/apps/editeur-couples.png \
  share/metainfo/editeur.couples.EditeurCouples.metainfo.xml \
  share/doc/editeur-couples/LICENSE; do
  if [ ! -s "$prefix/$f" ]; then
    echo "missing: $f"
    fail=1
  fi
done
[ "$fail" -eq 0 ] || exit 1

desktop="$prefix/share/applications/editeur-couples.desktop"
desktop-file-validate "$desktop"
# The entry starts the installed program under the icon's name.
grep -qx 'Exec=editeur-couples' "$desktop"
grep -qx 'Icon=editeur-couples' "$desktop"
# The metainfo, checked with the desktop entry it names.
appstreamcli validate-tree --no-net "$prefix"

# The PNG's header holds its width and height (big-endian) from byte 16 on.
png="$prefix/share/icons/hicolor/256x256/apps/editeur-couples.png"
size=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')
if [ "$size" != " 0 0 1 0 0 0 1 0" ]; then
  echo "the PNG icon is not 256 by 256 pixels: header bytes$size"
  exit 1
fi
echo "installed and valid"
