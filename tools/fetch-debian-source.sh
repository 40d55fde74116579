#!/usr/bin/env bash
# Fetches a Debian 12 source package by name and unpacks it with Debian's patches applied.
# apt downloads it through a private deb-src list of its own (the machine's apt setup is left
# alone) and checks every file against the archive's signed index. Once unpacked, nothing is
# fetched again: later builds use the unpacked copy without the network.
#
# usage: fetch-debian-source.sh PACKAGE WORK_DIR
#   unpacks into WORK_DIR/PACKAGE (marked whole by WORK_DIR/PACKAGE.unpacked, which holds the
#   version) and keeps apt's lists and the downloaded files under WORK_DIR/apt.
# Q7_DEBIAN_MIRROR  the mirror (default: the first bookworm mirror of the machine's apt setup)
set -euo pipefail
package=$1
work=$2
tree="$work/$package"
marker="$work/$package.unpacked"
[ -f "$marker" ] && [ -d "$tree" ] && exit 0

. "$(dirname "$0")/debian-mirror.sh"
mirror=${Q7_DEBIAN_MIRROR:-$(configured_mirror)}
mirror=${mirror:-http://deb.debian.org/debian}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
[ -r "$keyring" ] || { echo "fetch-debian-source.sh: $keyring is missing (package debian-archive-keyring)" >&2; exit 1; }
command -v dpkg-source >/dev/null || { echo "fetch-debian-source.sh: dpkg-source is missing (package dpkg-dev)" >&2; exit 1; }

apt_dir="$work/apt"
log="$work/$package.fetch.log"
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/download"
cat >"$apt_dir/sources/debian-src.sources" <<EOF
Types: deb-src
URIs: $mirror
Suites: bookworm
Components: main
Signed-By: $keyring
EOF
apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/sources"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o Debug::NoLocking=true)
# apt's download sandbox user cannot write into a build folder of root's.
[ "$(id -u)" -ne 0 ] || apt_options+=(-o APT::Sandbox::User=root)

echo "Fetching Debian 12's $package source package from $mirror" >&2
fail() {
  echo "fetch-debian-source.sh: $1 (apt's output: $log)" >&2
  tail -n 20 "$log" >&2
  exit 1
}
apt-get "${apt_options[@]}" update >"$log" 2>&1 || fail "apt-get update of the deb-src list failed"
# Warnings from the update (an unsigned or unreachable index) are errors here.
! grep -q '^\(W\|E\|Err\):' "$log" || fail "apt could not read a signed source index"
(cd "$apt_dir/download" && apt-get "${apt_options[@]}" source --download-only "$package") >>"$log" 2>&1 ||
  fail "apt-get source $package failed"
dsc=$(ls -t "$apt_dir/download/${package}"_*.dsc | head -n 1)
version=$(sed -n 's/^Version: //p' "$dsc")
rm -rf "$tree" "$tree.partial"
# dpkg-source cannot check the .dsc's own signature without the debian-keyring package and says
# so; apt has already checked each file against the archive's signed index.
# Unpacked beside its final place and moved there whole, so a half-done copy is never taken.
dpkg-source -x "$dsc" "$tree.partial" >>"$log" 2>&1 || fail "dpkg-source could not unpack $dsc"
rm -f "$work"/*.orig.tar.*  # the copy dpkg-source leaves beside the tree
mv "$tree.partial" "$tree"
echo "$version" >"$marker"
echo "Unpacked $package $version into $tree" >&2
