#!/usr/bin/env bash
# Checks the desktop entry, builds the Debian package of a build folder, lists it, unpacks it into a
# scratch root and starts the programs found there.
# Usage: packaging/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "check-package: $*" >&2; exit 1; }

desktop-file-validate "$here/vexmora.desktop"

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/vexmora_*.deb | head -n1)
echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Depends
listing=$(dpkg-deb -c "$deb")
echo "$listing" | awk '{print $6}' | grep -v '/$'
for file in ./usr/bin/vexmora ./usr/bin/vexmora-cli ./usr/share/vexmora/Vexmora.pdf \
            ./usr/share/applications/vexmora.desktop ./usr/share/icons/hicolor/scalable/apps/vexmora.svg; do
  echo "$listing" | grep -q " $file\$" || fail "$file is not in the package"
done
for file in ./usr/share/vexmora/bridge/vexmora-bridge32.exe ./usr/share/vexmora/bridge/vexmora-bridge64.exe; do
  echo "$listing" | grep -q " $file\$" || fail "$file is not in the package"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the package does not name Qt among its dependencies"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch/root"
bin="$scratch/root/usr/bin"
"$bin/vexmora-cli" --version | grep -q "vexmora-cli" || fail "the installed vexmora-cli does not start"

# The bridge: the 32-bit build for the service's 32-bit control, the 64-bit one for the tests.
bridge="$scratch/root/usr/share/vexmora/bridge"
file -b "$bridge/vexmora-bridge32.exe" | grep -q '^PE32 executable' || fail "vexmora-bridge32.exe is no PE32 executable"
file -b "$bridge/vexmora-bridge64.exe" | grep -q '^PE32+ executable' || fail "vexmora-bridge64.exe is no PE32+ executable"

# The manual: a PDF of several pages whose text is set in an embedded Japanese font (without one
# installed at build time, the kana and kanji would be missing).
manual="$scratch/root/usr/share/vexmora/Vexmora.pdf"
head -c 5 "$manual" | grep -q '%PDF-' || fail "the installed manual is no PDF"
pages=$(grep -a -c '/Type /Page$' "$manual" || true)
[ "$pages" -ge 5 ] || fail "the installed manual has $pages pages"
grep -a -q -E '/BaseFont /[A-Z+]*(IPA|Noto)' "$manual" || fail "the installed manual embeds no Japanese font"

# The installed desktop program with its own folder: it starts, writes its start lines and keeps
# running until stopped.
unset QT_QPA_PLATFORMTHEME
export QT_QPA_PLATFORM=offscreen VEXMORA_NOW="2026/12/09 10:00:00"
start_program() {  # runs the installed program for 5 seconds; it must still run when stopped
  local code=0
  timeout 5 "$bin/vexmora" >"$scratch/program.out" 2>&1 || code=$?
  [ "$code" = 124 ] || { cat "$scratch/program.out" >&2; fail "the installed program ended by itself (exit $code)"; }
}
VEXMORA_HOME="$scratch/home" start_program
iconv -f CP932 -t UTF-8 "$scratch/home/ErrorLog.txt" | grep -q "ソフト起動：2026/12/09" ||
  fail "the installed program wrote no start line into VEXMORA_HOME"

# Without VEXMORA_HOME an installed program keeps its files in $XDG_DATA_HOME/vexmora, never
# beside itself, even where it could write there.
XDG_DATA_HOME="$scratch/xdg" start_program
[ -f "$scratch/xdg/vexmora/ErrorLog.txt" ] || fail "the installed program did not use \$XDG_DATA_HOME/vexmora"
[ ! -e "$bin/Data" ] || fail "the installed program wrote beside itself"
mkdir -p "$scratch/feed/diff"  # an empty feed: the download makes its folders and finds nothing new
rm -rf "$scratch/xdg"
XDG_DATA_HOME="$scratch/xdg" VEXMORA_SERVICE="feed:$scratch/feed" "$bin/vexmora-cli" download >/dev/null
[ -d "$scratch/xdg/vexmora/Data" ] || fail "the installed vexmora-cli did not use \$XDG_DATA_HOME/vexmora"
[ ! -e "$bin/Data" ] || fail "the installed vexmora-cli wrote beside itself"
echo "check-package: $(basename "$deb") lists the programs, both bridges (PE32, PE32+), the manual, the icon and the entry; the installed programs start"
