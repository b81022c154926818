#!/usr/bin/env bash
# install_test.sh BUILD: installs BUILD under a temporary prefix, checks what lands there, then
# runs the installed launcher from another folder for a user with an empty home. Every path
# holds a space.
set -uo pipefail
build=$1
if [ ! -f "$build/show.files" ]; then
  echo "SKIP: $build has no show folder yet (build the show_folder target)"
  exit 77
fi
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tolvek install.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/pre fix" home="$tmp/home dir" start="$tmp/start here"
show="$prefix/share/tolvek/show"
work="$home/data home/tolvek"
mkdir -p "$home" "$start"

failures=0
expect() {  # expect WHAT COMMAND...: counts a failure when COMMAND fails
  local what=$1
  shift
  "$@" || { echo "FAIL: $what"; failures=$((failures + 1)); }
}
first_bytes() { head -c "$2" "$1" 2>/dev/null; }

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

expect "launcher is a script" test "$(first_bytes "$prefix/bin/tolvek" 2)" = "#!"
expect "launcher executable" test -x "$prefix/bin/tolvek"
for program in libexec/tolvek/tolvek bin/tolvek-pack bin/tolvek-view; do
  expect "$program is an executable program" test -x "$prefix/$program" -a "$(first_bytes "$prefix/$program" 4)" = $'\x7fELF'
done
for file in Demo.conf map.dat models.dat music.it; do expect "show has $file" test -s "$show/$file"; done
show_is_the_kits() { diff <(cd "$show" && find . ! -type d | sed 's|^\./||' | sort) <(sort "$build/show.files"); }
expect "installed show is the kit's list of files, nothing else" show_is_the_kits
expect "no stamp or unpacked levels in the show" test ! -e "$show/.made" -a ! -e "$show/data/map"
expect "desktop entry starts the launcher" grep -qx 'Exec=tolvek' "$prefix/share/applications/tolvek.desktop"
expect "desktop entry names the icon" grep -qx 'Icon=tolvek' "$prefix/share/applications/tolvek.desktop"
icon="$prefix/share/icons/hicolor/256x256/apps/tolvek.png"
expect "icon is a 256 x 256 PNG" test "$(od -An -tx1 -N24 "$icon" | tr -d ' \n')" = \
  89504e470d0a1a0a0000000d494844520000010000000100
# Decoded: a tile with clear corners and an opaque middle.
ffmpeg -v error -i "$icon" -f rawvideo -pix_fmt rgba - >"$tmp/icon.rgba" 2>"$tmp/icon.log"
expect "icon decodes" test "$(stat -c %s "$tmp/icon.rgba")" -eq $((256 * 256 * 4))
alpha() { od -An -tu1 -j $((($2 * 256 + $1) * 4 + 3)) -N1 "$tmp/icon.rgba" | tr -d ' '; }
expect "icon corner clear" test "$(alpha 0 0)" = 0 -a "$(alpha 255 255)" = 0
expect "icon middle opaque" test "$(alpha 128 128)" = 255

# A manual page for every program, naming every option its --help lists; the AppStream
# description and the desktop entry pass their validators.
page() { gzip -dc "$prefix/share/man/$1.gz" 2>/dev/null | sed 's/\\-/-/g'; }
for entry in man6/tolvek.6:libexec/tolvek/tolvek man1/tolvek-pack.1:bin/tolvek-pack man1/tolvek-view.1:bin/tolvek-view; do
  man=${entry%%:*} program=${entry#*:}
  expect "$man installed" test -s "$prefix/share/man/$man.gz"
  for flag in --help --version; do
    expect "$program $flag exits 0" "$prefix/$program" $flag >/dev/null
  done
  expect "$program --version names it" grep -q "^${program##*/} [0-9]" <("$prefix/$program" --version)
  for option in $("$prefix/$program" --help 2>&1 | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    expect "$man documents $option" grep -q -- "$option" <(page "$man")
  done
done
metainfo="$prefix/share/metainfo/io.github.tolvek.tolvek.metainfo.xml"
expect "AppStream description installed" test -s "$metainfo"
if command -v appstreamcli >/dev/null; then
  expect "AppStream description valid" appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null
fi
if command -v desktop-file-validate >/dev/null; then
  expect "desktop entry valid" desktop-file-validate "$prefix/share/applications/tolvek.desktop"
fi
expect "copyright and changelog installed" test -s "$prefix/share/doc/tolvek/copyright" -a -s "$prefix/share/doc/tolvek/changelog.gz"

if [ -z "${DISPLAY:-}" ]; then
  echo "SKIP: no X display for the show run (make test runs the tests under xvfb-run)"
  [ $failures -eq 0 ] && exit 77 || exit 1
fi

# A short recording, started from another folder: frames land there, the run in the user's folder.
(cd "$start" && HOME="$home" XDG_DATA_HOME="$home/data home" \
  "$prefix/bin/tolvek" --record frames --fps 4 --until 1500 --mode 640x480) >"$tmp/run.log" 2>&1
status=$?
expect "show run exits 0 (status $status; $(tail -c 400 "$tmp/run.log"))" test $status -eq 0
# 7 progress screens, then 1.5 s at 4 frames a second.
for n in 000000 000007 000012; do
  expect "frame $n recorded" test "$(first_bytes "$start/frames/frame_$n.png" 4)" = $'\x89PNG'
done
expect "no frames in the user's folder" test ! -e "$work/frames"
expect "the run wrote nothing into the installed show" show_is_the_kits
expect "the kit's staging folders are not installed" test ! -e "$show/maps" -a ! -e "$show/models"
for entry in map.dat models.dat music.it Textures Doom cam.trj; do
  expect "$entry linked to the installed show" \
    test -L "$work/$entry" -a "$(readlink -f "$work/$entry")" = "$(readlink -f "$show/$entry")"
done
expect "Demo.conf copied" test -f "$work/Demo.conf" -a ! -L "$work/Demo.conf"
expect "Demo.conf the show's" cmp -s "$work/Demo.conf" "$show/Demo.conf"
expect "the monk linked" test -L "$work/data/models/moine.md3"
expect "no unpacked files left" test -z "$(find "$work/data" ! -type d ! -type l)"
expect "no unpacked levels' folder left" test ! -e "$work/data/map"

# Again after the user edited Demo.conf and an older install left links behind.
echo "# mine" >>"$work/Demo.conf"
ln -sfn "$tmp/old place/music.it" "$work/music.it"
ln -s "$tmp/old place/gone.dat" "$work/gone.dat"
(cd "$start" && HOME="$home" XDG_DATA_HOME="$home/data home" "$prefix/bin/tolvek" --help) >"$tmp/help.log" 2>&1
expect "--help exits 0" test $? -eq 0
expect "--help reaches the demo" grep -q -- '--record' "$tmp/help.log"
expect "user's Demo.conf kept" grep -qx '# mine' "$work/Demo.conf"
expect "old link refreshed" test "$(readlink -f "$work/music.it")" = "$(readlink -f "$show/music.it")"
expect "dangling link removed" test ! -L "$work/gone.dat"

[ $failures -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "installed tree and launcher OK"
