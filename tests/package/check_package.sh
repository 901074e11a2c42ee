#!/usr/bin/env bash
# check_package.sh BUILD_DIR SCRATCH VERSION: makes the Debian package of BUILD_DIR in SCRATCH
# (emptied first), then checks its file name, its control fields, what it installs and that
# lintian finds no error in it.
set -euo pipefail
build=$1
scratch=$2
version=$3
rm -rf "$scratch"
mkdir -p "$scratch"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  exit 1
fi
deb="$scratch/editeur-couples_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
  echo "no package $deb; cpack made:"
  ls "$scratch"
  exit 1
fi

fail=0
expect_field() {
  local value
  value=$(dpkg-deb -f "$deb" "$1")
  if [ "$value" != "$2" ]; then
    echo "$1 is '$value', not '$2'"
    fail=1
  fi
}
expect_field Package editeur-couples
expect_field Version "$version"
expect_field Architecture "$(dpkg --print-architecture)"
expect_field Section graphics

# The libraries the programs link, as dpkg-shlibdeps finds them.
depends=$(dpkg-deb -f "$deb" Depends)
names=$(sed 's/, */\n/g' <<<"$depends" | awk '{print $1}')
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
  if ! grep -Fqx "$lib" <<<"$names"; then
    echo "Depends lacks $lib: $depends"
    fail=1
  fi
done

contents=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|')
for f in /usr/bin/editeur-couples /usr/bin/couples-cli \
  /usr/share/applications/editeur-couples.desktop \
  /usr/share/icons/hicolor/scalable/apps/editeur-couples.svg \
  /usr/share/icons/hicolor/256x256/apps/editeur-couples.png \
  /usr/share/metainfo/editeur.couples.EditeurCouples.metainfo.xml \
  /usr/share/man/man1/editeur-couples.1.gz /usr/share/man/man1/couples-cli.1.gz \
  /usr/share/doc/editeur-couples/copyright /usr/share/doc/editeur-couples/changelog.gz \
  /usr/share/doc/editeur-couples/LICENSE; do
  if ! grep -qx "$f" <<<"$contents"; then
    echo "the package lacks $f"
    fail=1
  fi
done
# Everything under /usr, nothing in /usr/local nor from the build folder.
stray=$(grep -v '^/usr/' <<<"$contents" | grep -v '^/$' || true)
stray+=$(grep '^/usr/local' <<<"$contents" || true)
if [ -n "$stray" ]; then
  echo "files outside /usr or in /usr/local: $stray"
  fail=1
fi

# Lintian's errors fail the test; its warnings are shown.
status=0
report=$(timeout 120 lintian "$deb" 2>&1) || status=$?
echo "$report"
if [ "$status" -ne 0 ] || grep -q '^E:' <<<"$report"; then
  echo "lintian failed (status $status)"
  fail=1
fi
[ "$fail" -eq 0 ] || exit 1
echo "package $(basename "$deb") complete and accepted by lintian"
