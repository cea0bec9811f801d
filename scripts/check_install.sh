#!/usr/bin/env bash
# Checks what an installation holds, from an already built build folder:
# installs into a scratch folder (DESTDIR, no root needed), compares the files
# with the expected list, validates the desktop entry and the AppStream
# metadata, lets a probe in the installed program's folder find the hand
# pointer and the translations in the data folder, and builds the Debian package and shows it.
# Usage: scripts/check_install.sh [build folder]
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$repo/build}"
app_id=io.github.corvell.Corvell
scratch="$(mktemp -d /tmp/corvell-install-XXXXXX)"
trap 'rm -rf "$scratch"' EXIT

fail() { echo "check_install: FAIL: $*" >&2; exit 1; }

root="$scratch/root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

expected="usr/bin/corvell
usr/share/applications/$app_id.desktop
usr/share/corvell/HAND-M.CUR
usr/share/corvell/translations/corvell_de.qm
usr/share/corvell/translations/corvell_fr.qm
usr/share/doc/corvell/copyright
usr/share/icons/hicolor/16x16/apps/$app_id.png
usr/share/icons/hicolor/32x32/apps/$app_id.png
usr/share/icons/hicolor/48x48/apps/$app_id.png
usr/share/icons/hicolor/scalable/apps/$app_id.svg
usr/share/metainfo/$app_id.metainfo.xml"
installed="$(cd "$root" && find . -type f -printf '%P\n' | LC_ALL=C sort)"
[[ "$installed" == "$expected" ]] ||
    fail "installed files differ from the expected list:$(diff <(echo "$expected") <(echo "$installed") | sed 's/^/\n  /')"
[[ -x "$root/usr/bin/corvell" ]] || fail "usr/bin/corvell is not executable"
for pixels in 16 32 48; do
    file -b "$root/usr/share/icons/hicolor/${pixels}x${pixels}/apps/$app_id.png" |
        grep -q "^PNG image data, $pixels x $pixels," || fail "the ${pixels}x${pixels} icon is no PNG of that size"
done

desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "desktop entry rejected"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
    fail "AppStream metadata rejected: $(appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml")"

# The probe loads the pointer the way the windows do, from where it lies.
probe="$root/usr/bin/installed_pointer_probe"
cp "$build/tests/installed_pointer_probe" "$probe"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
found="$("$probe")" || fail "the installed program cannot load its pointer"
[[ "$found" == "$root/usr/share/corvell/HAND-M.CUR" ]] || fail "pointer taken from $found, not the data folder"
# A pointer file next to the program still comes first.
cp "$repo/src/resources/HAND-M.CUR" "$root/usr/bin/HAND-M.CUR"
found="$("$probe")" || fail "the pointer next to the installed program cannot be loaded"
[[ "$found" == "$root/usr/bin/HAND-M.CUR" ]] || fail "pointer taken from $found, not the program folder"
# The translations are found in the data folder as well.
for language in de fr; do
    [[ "$("$probe" --language "$language")" == "$language" ]] ||
        fail "the installed program does not find its translation for $language"
done

(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null) || fail "cpack -G DEB failed"
package="$(find "$scratch/package" -maxdepth 1 -name '*.deb')"
[[ -f "$package" ]] || fail "no package was built"
echo "== $(basename "$package")"
dpkg-deb -I "$package"
contents="$(dpkg-deb -c "$package")"
echo "$contents"
[[ "$(dpkg-deb -f "$package" Depends)" == *libqt6widgets6* ]] || fail "the package does not depend on Qt Widgets"
for path in $expected; do
    grep -qF " ./$path" <<<"$contents" || fail "the package lacks $path"
done
echo "check_install: PASS"
