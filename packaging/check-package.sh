#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree, unpacks it into a scratch root
# and checks that it holds what a desktop expects and that its programs run from there.
#   packaging/check-package.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if ! (cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1); then
  cat "$scratch/cpack.log"
  exit 1
fi
deb=$(ls "$scratch"/out/*.deb)
dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root/usr

fail() { echo "check-package: $*" >&2; exit 1; }
[ "$("$root/bin/velmar-cli" --version)" = "velmar-cli $version" ] || fail "velmar-cli --version from the package"
"$root/bin/velmar-sim" --help | grep -q '^usage: velmar-sim' || fail "velmar-sim --help from the package"
for file in bin/velmar share/applications/org.velmar.Velmar.desktop \
    share/icons/hicolor/scalable/apps/org.velmar.Velmar.svg share/metainfo/org.velmar.Velmar.metainfo.xml \
    share/bash-completion/completions/velmar-cli \
    share/man/man1/velmar.1.gz share/man/man1/velmar-cli.1.gz share/man/man1/velmar-sim.1.gz; do
  [ -s "$root/$file" ] || fail "$file is missing"
done
zcat "$root/share/man/man1/velmar-cli.1.gz" | grep -q 'load\\-routes' || fail "the velmar-cli page lacks its commands"
desktop-file-validate "$root/share/applications/org.velmar.Velmar.desktop"
appstreamcli validate --no-net "$root/share/metainfo/org.velmar.Velmar.metainfo.xml" >/dev/null
bash -n "$root/share/bash-completion/completions/velmar-cli"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6network6 libstdc++6; do
  grep -q "$package" <<<"$depends" || fail "Depends lacks $package: $depends"
done
echo "check-package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB, Depends: $depends"
