#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop sees there: the
# programs and their modules (found relative to the program), the data files, a desktop
# entry that validates, MIME types that name a playlist by its signature alone, icons and
# manual pages.
#   install-test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/mixorel-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/mixorel bin/mixorel-cli share/mixorel/mix.ini share/mixorel/manual/index.html \
    share/applications/mixorel.desktop share/mime/packages/mixorel.xml \
    share/icons/hicolor/scalable/apps/mixorel.svg share/icons/hicolor/48x48/apps/mixorel.png \
    share/icons/hicolor/256x256/apps/mixorel.png share/man/man1/mixorel.1 \
    share/man/man1/mixorel-cli.1; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
ls "$prefix"/lib*/mixorel/mixorel-print.so >/dev/null 2>&1 || fail "the modules are not installed"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/mixorel.desktop" || fail "desktop entry"
fi
grep -q '^MimeType=.*application/x-mixorel-playlist' "$prefix/share/applications/mixorel.desktop" ||
    fail "the desktop entry names no playlist type"
grep -q '^Exec=mixorel %F$' "$prefix/share/applications/mixorel.desktop" || fail "Exec line"

# A playlist made by the installed program, printed through its installed module.
work="$prefix/work"
mkdir -p "$work/config" "$work/home"
export XDG_CONFIG_HOME="$work/config" MIXOREL_HOME="$work/home" QT_QPA_PLATFORM=offscreen
printf '#EXTM3U\n#EXTINF:60,Song\n/music/song.mp3\n' >"$work/list.m3u"
"$prefix/bin/mixorel-cli" playlist m3u "$work/list.m3u" -o "$work/list.qmx"
"$prefix/bin/mixorel-cli" playlist print "$work/list.qmx" "$work/list.pdf" 2>/dev/null ||
    fail "the installed mixorel-cli cannot print (module not found beside it?)"
[ -s "$work/list.pdf" ] || fail "no PDF"

if command -v update-mime-database >/dev/null && command -v xdg-mime >/dev/null &&
    command -v mimetype >/dev/null; then
    update-mime-database "$prefix/share/mime" >/dev/null 2>&1
    cp "$work/list.qmx" "$work/no-extension"
    printf '\005qmx-p\000\000\000\000' >"$work/album-no-extension"
    for pair in "no-extension application/x-mixorel-playlist" \
        "album-no-extension application/x-mixorel-album"; do
        set -- $pair
        type=$(XDG_DATA_DIRS="$prefix/share" XDG_DATA_HOME="$work/none" xdg-mime query filetype "$work/$1")
        [ "$type" = "$2" ] || fail "$1 is seen as '$type', not $2"
    done
fi
if command -v man >/dev/null; then
    for page in mixorel mixorel-cli; do
        MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1" 2>/dev/null | grep -q NAME ||
            fail "manual page $page"
    done
fi
echo "install layout: OK"
