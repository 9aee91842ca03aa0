#!/usr/bin/env bash
# Builds the two Debian packages (with Qt 6 after --qt6), checks them with
# lintian, checks what they depend on and what they hold, unpacks them into a
# temporary root and starts each installed program there, headless, for a
# few seconds: it must come up, find its files and load the toolkit's
# Russian texts. Exits non-zero on failure, and on any lintian error or
# warning.
# Usage: scripts/check-packages.sh [--qt6] [BUILD_FOLDER]
#   (default build-package, build-package-qt6 with --qt6)
set -euo pipefail
cd "$(dirname "$0")/.."

# Both programs link Core, Gui, Network and Widgets; Qt 6 keeps the plugins
# for the desktop's windows in a package of their own.
qt_choice=() build=build-package
expected_qt="libqt5core5a libqt5gui5 libqt5network5 libqt5widgets5 qttranslations5-l10n"
if [ "${1:-}" = --qt6 ]; then
    qt_choice=(--qt6) build=build-package-qt6
    expected_qt="libqt6core6 libqt6gui6 libqt6network6 libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n"
    shift
fi
build=${1:-$build}

scripts/install-deps.sh "${qt_choice[@]}" desktop-file-utils lintian

scripts/package.sh "${qt_choice[@]}" "$build"
build=$(realpath "$build")
root=$build/unpacked
work=$build/run
rm -rf "$root" "$work"
mkdir -p "$root" "$work/cwd" "$work/tmp" "$work/config/School" "$work/data" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"

fail() { echo "check-packages: $*" >&2; exit 1; }

# Debian's own checker: no error and no warning. As root it warns that it
# runs as root; that is no finding about the packages.
status=0
report=$(lintian --fail-on error,warning --tag-display-limit 0 "$build"/*.deb 2>&1) || status=$?
grep -v "running with root privileges is not recommended" <<<"$report" || true
[ "$status" -eq 0 ] || fail "lintian finds errors or warnings in the packages"

for program in server client; do
    deb=$(ls "$build"/school-questionnaire-"$program"_*.deb)
    qt=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//' \
        | grep -E '^(lib)?qt' | grep -v -- '-gles$' | sort -u | xargs)
    [ "$qt" = "$expected_qt" ] || fail "$(basename "$deb") depends on: $qt"
    dpkg-deb -x "$deb" "$root"

    desktop=$root/usr/share/applications/school-questionnaire-$program.desktop
    desktop-file-validate "$desktop"
    [ -x "$root/usr/bin/$(sed -n 's/^Exec=//p' "$desktop")" ] || fail "$desktop: no such program"
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] \
        || fail "$desktop: no such icon"
done

# Runs an installed program for a few seconds, headless, in an empty working
# folder with its own temporary folder and settings; it must still be
# running when the time is up. What it prints goes to $work/PROGRAM.log.
run_installed() {
    local program=$1 status=0
    (cd "$work/cwd" && env QT_QPA_PLATFORM=offscreen TMPDIR="$work/tmp" HOME="$work/home" \
        XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" \
        QT_LOGGING_RULES="school.client.files.debug=true" \
        timeout 5 "$root/usr/bin/school-questionnaire-$program") >"$work/$program.log" 2>&1 || status=$?
    [ "$status" -eq 124 ] || { cat "$work/$program.log"; fail "$program ended with status $status"; }
    if grep -q "No Russian translation of Qt" "$work/$program.log"; then
        cat "$work/$program.log"
        fail "$program has no Russian toolkit texts"
    fi
}

run_installed server
grep -qE "Server run!|Unable to start the server" "$work/server.log" || fail "the server did not start"
[ -d "$work/data/School/Server/School" ] || fail "the server made no data folder in XDG_DATA_HOME"

# Seen in the last client's log, or the check fails.
client_found() {
    grep -qF "$1 found at $2/$1" "$work/client.log" || { cat "$work/client.log"; fail "client did not find $1"; }
}
data=$root/usr/share/school-questionnaire
# "Temp" = 0 asks for the welcome window with the second picture; the
# client sets it to 1, so the second start goes on to the login window.
printf '[General]\nTemp=0\n' >"$work/config/School/Client.conf"
run_installed client
client_found pikto_first.png "$data"
run_installed client
client_found setting_client.ini "$root/etc/school-questionnaire"
client_found pikto.png "$data"
# "Помощь" looks for the help document the same way, in the same folder.
[ "$(head -c 5 "$data/file.pdf")" = "%PDF-" ] || fail "no help document in $data"

echo "Packages checked: $(cd "$build" && ls ./*.deb | xargs)"
