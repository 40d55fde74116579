#!/usr/bin/env bash
# Runs the README's test command on a fresh Debian 12 machine: builds a minimal Debian 12 root
# with debootstrap, copies a clean export of the committed tree into it and runs tools/test.sh
# there as root, so a package missing from tools/packages.txt or a file missing from git fails.
# Takes about 13 minutes on two cores (packages, a build from scratch, the whole suite): run it
# before a release and whenever the package list changes, not in every CI run. Needs root.
#
# Q7_MIRROR      Debian mirror for the root (default: the bookworm mirror apt is configured with)
# Q7_FRESH_ROOT  where the root is built (default /var/tmp/q7-fresh-machine); removed at the end
# Q7_FRESH_LOG   the whole run's output (default /var/tmp/q7-fresh-machine.log)
# Q7_REF         what is exported (default HEAD)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
target=${Q7_FRESH_ROOT:-/var/tmp/q7-fresh-machine}
log=${Q7_FRESH_LOG:-/var/tmp/q7-fresh-machine.log}
ref=${Q7_REF:-HEAD}
commit=$(git -C "$repo" rev-parse --verify "$ref^{commit}")  # pinned: later commits do not count

if [ "$(id -u)" -ne 0 ]; then
  echo "check-fresh-machine.sh: run as root (debootstrap, chroot and mount need it)" >&2
  exit 1
fi

. "$repo/tools/debian-mirror.sh"
mirror=${Q7_MIRROR:-$(configured_mirror)}
if [ -z "$mirror" ]; then
  echo "check-fresh-machine.sh: no bookworm mirror in /etc/apt/sources.list*; set Q7_MIRROR" >&2
  exit 1
fi

command -v debootstrap >/dev/null || {
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}

mounted=()
# Unmounts in reverse order, then removes the root, but only once nothing is mounted inside it
# any more: removing it with /dev or /tmp still bound would delete the host's files.
cleanup() {
  local pid i
  # Whatever the run left running inside the root (a wineserver, an X server) ends first.
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$target" ] && kill -9 "$pid" 2>/dev/null || true
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null || true
  done
  if grep -q " $target/" /proc/self/mounts; then
    echo "check-fresh-machine.sh: still mounted under $target, left in place:" >&2
    grep " $target/" /proc/self/mounts >&2
    return
  fi
  rm -rf "$target"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bind() {  # bind SOURCE, or mount TYPE at a path inside the root
  mkdir -p "$target$2"
  if [ "$1" = --bind ]; then mount --bind "$3" "$target$2"; else mount -t "$1" "$1" "$target$2"; fi
  mount --make-private "$target$2"
  mounted+=("$target$2")
}

exec > >(tee "$log") 2>&1
started=$(date +%s)
phase_started=$started
phases=()
phase_done() {
  local now
  now=$(date +%s)
  phases+=("$(printf '%-34s %4d s' "$1" $((now - phase_started)))")
  phase_started=$now
}

echo "== Debian 12 root in $target from $mirror"
[ -e "$target" ] && { cleanup; [ ! -e "$target" ] || exit 1; }
debootstrap --variant=minbase --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
  bookworm "$target" "$mirror" >/dev/null
cp /etc/resolv.conf "$target/etc/resolv.conf"
phase_done "debootstrap (minbase)"

echo "== clean export of $ref (${commit:0:7})"
mkdir -p "$target/root/q7viewer"
git -C "$repo" archive --format=tar "$commit" | tar -x -C "$target/root/q7viewer"

bind proc /proc
bind --bind /dev /dev
bind tmpfs /dev/shm
bind --bind /tmp /tmp  # X servers are found by their sockets here, shared with the host's

echo "== tools/test.sh inside the root"
marks=$(mktemp -d)
# Notes when the build and the tests begin, from the first line each prints.
mark_phases() {
  local line
  while IFS= read -r line; do
    printf '%s\n' "$line"
    case $line in
      "[  "*"%] "*) [ -e "$marks/build" ] || date +%s >"$marks/build" ;;
      "Test project "*) [ -e "$marks/test" ] || date +%s >"$marks/test" ;;
    esac
  done
}
set +e
env -i HOME=/root TERM=dumb LANG=C.UTF-8 PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  chroot "$target" /bin/bash -c 'cd /root/q7viewer && tools/test.sh' 2>&1 | mark_phases
rc=${PIPESTATUS[0]}
set -e
if [ -e "$marks/build" ] && [ -e "$marks/test" ]; then
  build_at=$(cat "$marks/build")
  test_at=$(cat "$marks/test")
  phases+=("$(printf '%-34s %4d s' "packages (apt) and configure" $((build_at - phase_started)))")
  phases+=("$(printf '%-34s %4d s' "build from scratch" $((test_at - build_at)))")
  phases+=("$(printf '%-34s %4d s' "whole test suite" $(($(date +%s) - test_at)))")
  phase_started=$(date +%s)
else
  phase_done "tools/test.sh"
fi
rm -rf "$marks"

ctest_line=$(grep -E 'tests passed|tests failed' "$log" | tail -n 1 || true)
echo
echo "== Summary of the fresh-machine check"
echo "commit     ${commit:0:7} ($(git -C "$repo" log -1 --format=%s "$commit" | cut -c1-60))"
echo "mirror     $mirror"
printf '%s\n' "${phases[@]}"
printf '%-34s %4d s\n' "total" $(($(date +%s) - started))
echo "ctest      ${ctest_line:-no ctest summary}"
echo "retried    $(grep -cE '\*\*\*(Failed|Timeout)|Exception:' "$log" || true) failed first run(s) (a failing test gets a second run)"
echo "result     $([ $rc -eq 0 ] && echo passed || echo "FAILED (exit $rc)")"
echo "log        $log"
exit $rc
