#!/usr/bin/env bash
# Packs the given build folder's programs into the Debian package (CPack, the
# same rules as scripts/package, which builds them with the update URL empty;
# installed, the program never checks for updates anyway), installs it with apt into a brand-new Debian 12 root, makes the demo outputs
# with the installed program there, validates the desktop entry and the
# metainfo, removes the package and checks that nothing of it is left under
# /usr. The minimal root is made once with debootstrap and kept in
# ${FRESH_HOME:-/var/tmp/fresh-debian}/base, as ../shared/tools/fresh-machine-check
# keeps it; each run works on a copy. Fails, never passes, when it cannot make
# the root. Usage: install-on-fresh-debian.sh BUILD_FOLDER
set -uo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
here="$(cd "$(dirname "$0")" && pwd)"
project="$(cd "$here/../.." && pwd)"
build="${1:?usage: install-on-fresh-debian.sh BUILD_FOLDER}"
app_id=org.zarv.ZarvMulVideoEditor

[ "$(id -u)" = 0 ] || fail "making a Debian root and changing into it needs root"
for tool in debootstrap chroot desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done

rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >"$build/package.log" 2>&1) \
  || { tail -n 20 "$build/package.log" >&2; fail "CPack could not make the package"; }
deb="$(ls "$build"/package/zarvmulvideoeditor_*.deb 2>/dev/null | head -n1)"
[ -f "$deb" ] || fail "CPack made no package"
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"

home="${FRESH_HOME:-/var/tmp/fresh-debian}"
base="$home/base"
mkdir -p "$home" || fail "cannot make $home"
exec 8>"$home/.lock"
flock 8
if [ ! -f "$base/.ready" ]; then
  mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  rm -rf "$base"
  echo "making a minimal Debian 12 root (log: $home/debootstrap.log)"
  debootstrap --variant=minbase bookworm "$base" ${mirror:+"$mirror"} >"$home/debootstrap.log" 2>&1 \
    || { tail -n 20 "$home/debootstrap.log" >&2; fail "debootstrap could not make a Debian 12 root"; }
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    cp /etc/apt/sources.list.d/debian.sources "$base/etc/apt/sources.list.d/" && rm -f "$base/etc/apt/sources.list"
  fi
  touch "$base/.ready"
fi
flock -u 8

root="$(mktemp -d "$home/package-XXXXXX")" || fail "no folder for the root"
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
cp -a "$base/." "$root/" || fail "cannot copy the Debian root"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null
# This machine's mirror serves release files past their validity date.
echo 'Acquire::Check-Valid-Until "false";' >"$root/etc/apt/apt.conf.d/99valid-until"
for d in proc sys dev dev/pts; do
  mkdir -p "$root/$d" && mount --bind "/$d" "$root/$d" || fail "cannot mount /$d in the root"
  mounted+=("$root/$d")
done
# Downloaded packages are kept between runs, so a later run downloads little.
mkdir -p "$home/apt-archives/partial" "$root/var/cache/apt/archives" \
  && mount --bind "$home/apt-archives" "$root/var/cache/apt/archives" || fail "cannot mount the package cache"
mounted+=("$root/var/cache/apt/archives")
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }

cp "$deb" "$root/tmp/" && cp "$project/scripts/demo" "$root/tmp/demo" || fail "cannot copy into the root"
in_root apt-get update -qq >"$root/apt.log" 2>&1 || { tail -n 20 "$root/apt.log" >&2; fail "apt-get update failed in the root"; }
in_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" >>"$root/apt.log" 2>&1 \
  || { tail -n 30 "$root/apt.log" >&2; fail "apt-get could not install the package on a fresh Debian 12"; }
in_root dpkg -L zarvmulvideoeditor >"$home/package-files.txt" || fail "dpkg does not list the package's files"

status=0
check() { if ! "$@"; then echo "FAIL: $*" >&2; status=1; fi; }
check in_root sh -c 'command -v ZarvMulVideoEditor'
for f in ZarvRebooter CutMedia.dll Black.dll translations/qtbase_zh_CN.qm; do
  check test -e "$root/usr/lib/zarvmulvideoeditor/$f"
done
for icon in scalable/apps/$app_id.svg 48x48/apps/$app_id.png 256x256/apps/$app_id.png; do
  check test -s "$root/usr/share/icons/hicolor/$icon"
done
check desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
check appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"

# The demo batch with the installed program, then every output decodes and lasts 5 s.
if in_root bash /tmp/demo ZarvMulVideoEditor /root/demo >"$root/demo.log" 2>&1; then
  outputs=0
  for out in "$root"/root/demo/输出/*.mp4; do
    [ -e "$out" ] || continue
    inside="${out#"$root"}"
    seconds=$(in_root ffprobe -v error -show_entries format=duration -of csv=p=0 "$inside")
    if in_root ffmpeg -v error -nostdin -i "$inside" -f null - && awk -v s="$seconds" 'BEGIN { exit !(s > 4.5 && s < 5.5) }'; then
      outputs=$((outputs + 1))
    else
      echo "FAIL: $inside does not decode as a 5 s video (duration $seconds)" >&2
    fi
  done
  [ "$outputs" = 3 ] || { echo "FAIL: $outputs of 3 demo outputs are good" >&2; tail -n 20 "$root/demo.log" >&2; status=1; }
  echo "demo outputs made by the installed program: $outputs"
else
  tail -n 30 "$root/demo.log" >&2
  echo "FAIL: the installed program's demo batch failed" >&2
  status=1
fi

# Removed, nothing of it stays under /usr.
in_root apt-get remove -y -qq zarvmulvideoeditor >>"$root/apt.log" 2>&1 || { echo "FAIL: apt-get remove failed" >&2; status=1; }
left=$(while read -r path; do
  case "$path" in /usr/*) [ -e "$root$path" ] && [ ! -d "$root$path" ] && echo "$path" ;; esac
done <"$home/package-files.txt"; find "$root/usr" -iname '*zarv*' -printf '/usr/%P\n')
if [ -n "$left" ]; then
  echo "FAIL: left under /usr after apt-get remove:" >&2
  echo "$left" >&2
  status=1
fi
[ "$status" = 0 ] && echo "installed, ran the demo and removed cleanly on a fresh Debian 12"
exit "$status"
