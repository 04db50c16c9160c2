#!/usr/bin/env bash
# Checks the Debian package: tests/package/check.sh [BUILD_DIR] (see scripts/package.sh).
# Builds it, lets lintian judge it (an error fails, warnings are shown), unpacks it into a
# temporary root and runs the unpacked program on the packaged CONFIG, as given with --dir and
# as an installed program finds it on its own.
set -euo pipefail
cd "$(dirname "$0")/../.."

fail() {
    echo "package check: $*" >&2
    exit 1
}

deb=$(scripts/package.sh "$@")
echo "package: $deb ($(stat -c %s "$deb") bytes)"

lintian_args=(--fail-on error)
[ "$(id -u)" -ne 0 ] || lintian_args+=(--allow-root)
lintian "${lintian_args[@]}" "$deb" || fail "lintian reports errors"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
dpkg-deb -x "$deb" "$root"
ketrel=$root/usr/bin/ketrel
# Nothing the program does here may reach the files of whoever runs the check.
export HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config

version=$("$ketrel" --version)
[ "$version" = "ketrel $(dpkg-deb -f "$deb" Version)" ] ||
    fail "the program says '$version', the package $(dpkg-deb -f "$deb" Version)"

mkdir "$tmp/dir"
cp "$root/usr/share/ketrel/CONFIG" "$tmp/dir/"
"$ketrel" --dir "$tmp/dir" image >"$tmp/image-dir.txt" || fail "image with --dir failed"
[ "$(wc -l <"$tmp/image-dir.txt")" -eq 128 ] || fail "image is not 2048 bytes in 128 lines"

# Without --dir the installed program seeds the user's data folder from /usr/share/ketrel.
"$ketrel" image >"$tmp/image-data.txt" || fail "image from the data folder failed"
cmp -s "$tmp/image-dir.txt" "$tmp/image-data.txt" || fail "the data folder's image differs"
for f in CONFIG DEVICES; do
    cmp -s "$root/usr/share/ketrel/$f" "$tmp/data/ketrel/$f" || fail "$f was not copied"
done

# The menu entry starts the installed program and finds its icon.
entry=$root/usr/share/applications/ketrel.desktop
[ -x "$root/usr/bin/$(sed -n 's/^Exec=//p' "$entry")" ] || fail "Exec= names no installed program"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 64 128; do
    [ -f "$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png" ] ||
        fail "no $size px icon named $icon"
done

# Every subcommand of --help has its entry in the manual page.
manual=$(zcat "$root/usr/share/man/man1/ketrel.1.gz" | sed 's/\\-/-/g')
commands=$("$ketrel" --help | sed -n 's/^  ketrel \(\[[^]]*\] \)*\([a-z][a-z-]*\)\( .*\)\{0,1\}$/\2/p')
[ -n "$commands" ] || fail "no subcommand found in --help"
for c in $commands; do
    grep -Eq "^\.B[IR]? +$c( |$)" <<<"$manual" || fail "the manual page lacks $c"
done
echo "package check passed"
