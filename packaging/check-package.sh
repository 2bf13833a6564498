#!/usr/bin/env bash
# check-package.sh BUILD_DIR VERSION RELEASE APP_ID
# Builds the Debian package from BUILD_DIR's programs (cpack) and checks what a bench PC would
# get: the files in it and nothing else, its control fields, lintian without errors, every
# program's --version and --help run from an unpacked copy, manual pages that name every
# option --help names, the desktop entry and the AppStream data.
set -euo pipefail
build=$1 version=$2 release=$3 appid=$4
work="$build/package-check"
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo "== cpack"
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    exit 1
}
deb="$work/out/tollbrook_${version}-${release}_$(dpkg --print-architecture).deb"
[[ -f $deb ]] || { ls -l "$work/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }
echo "$deb"

echo "== contents"
programs=(tollbrook tollbrook-cli tollbrook-nmea tracker-sim)
expected=(
    ./usr/share/applications/$appid.desktop
    ./usr/share/metainfo/$appid.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/$appid.svg
    ./usr/share/doc/tollbrook/copyright
    ./usr/share/doc/tollbrook/changelog.Debian.gz
    ./usr/share/lintian/overrides/tollbrook
)
for p in "${programs[@]}"; do
    expected+=(./usr/bin/$p ./usr/share/man/man1/$p.1.gz)
done
for s in 16 22 24 32 48 64 128 256; do
    expected+=(./usr/share/icons/hicolor/${s}x$s/apps/$appid.png)
done
dpkg-deb --contents "$deb" >"$work/contents.txt"
# Files only (directories end in /), as "path mode owner".
awk '$6 !~ /\/$/ { print $6, $1, $2 }' "$work/contents.txt" | sort >"$work/files.txt"
printf '%s\n' "${expected[@]}" | sort >"$work/expected.txt"
if ! diff -u "$work/expected.txt" <(cut -d' ' -f1 "$work/files.txt"); then
    fail "the package's files differ from the expected list (- missing, + unexpected)"
fi
while read -r path mode owner; do
    want=-rw-r--r--
    [[ $path == ./usr/bin/* ]] && want=-rwxr-xr-x
    [[ $mode == "$want" && $owner == root/root ]] || fail "$path is $mode $owner"
done <"$work/files.txt"

echo "== control"
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == tollbrook ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version-$release" ]] || fail "Version is '$(field Version)'"
depends=$(field Depends)
echo "Depends: $depends"
# Worked out from the programs' shared libraries, not written by hand.
for lib in libc6 libqt6core6 libqt6widgets6 libqt6serialport6; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib"
done
[[ $(field Maintainer) == *@* ]] || fail "no maintainer address"
# (grep reads from a variable: with pipefail, grep -q leaving a pipe early fails the pipe.)
grep -q dialout <<<"$(field Description)" || fail "the description does not mention the dialout group"
changelogVersion=$(dpkg-deb --fsys-tarfile "$deb" |
    tar -xOf - ./usr/share/doc/tollbrook/changelog.Debian.gz | gzip -dc |
    sed -n '1s/^tollbrook (\([^)]*\)).*/\1/p') || true
[[ $changelogVersion == "$version-$release" ]] ||
    fail "packaging/changelog.Debian starts with $changelogVersion; add an entry for $version-$release"

echo "== lintian"
# Errors fail the check; warnings are shown for whoever reads the log.
lintian --allow-root --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
cat "$work/lintian.txt"
if grep -q '^E: ' "$work/lintian.txt"; then
    fail "lintian reports errors"
fi
if grep -qv '^[WIPNX]: \|^E: ' "$work/lintian.txt"; then
    fail "lintian did not run cleanly"
fi

echo "== programs from an unpacked copy"
root="$work/root"
dpkg-deb -x "$deb" "$root"
for p in "${programs[@]}"; do
    exe="$root/usr/bin/$p"
    # Without a display: the GUI program answers these before it needs one.
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --version) ||
        fail "$p --version failed"
    [[ $out == "$p (Tollbrook) $version" ]] || fail "$p --version says '$out'"
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" --help) ||
        fail "$p --help failed"
    grep -qi '^usage: ' <<<"$help" || fail "$p --help has no usage line"
    # The manual page is made from --help: every option --help names is in it.
    page=$(gzip -dc "$root/usr/share/man/man1/$p.1.gz")
    grep -q "^\.TH .* \"Tollbrook $version\" " <<<"$page" || fail "$p.1 is not of version $version"
    for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -qF -- "${option//-/\\-}" <<<"$page" || fail "$p.1 does not name $option"
    done
done
for p in "${programs[@]}"; do
    if grep -q 'not found' <<<"$(ldd "$root/usr/bin/$p")"; then
        fail "$p needs a library that is not on this system"
    fi
done

echo "== desktop entry and AppStream data"
desktop="$root/usr/share/applications/$appid.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx "Exec=tollbrook" "$desktop" || fail "the desktop entry does not start tollbrook"
grep -qx "Icon=$appid" "$desktop" || fail "the desktop entry's icon is not $appid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$appid.metainfo.xml" ||
    fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$appid.desktop</launchable>" \
    "$root/usr/share/metainfo/$appid.metainfo.xml" || fail "the AppStream launchable is not $appid.desktop"

if ((failures)); then
    echo "package check: $failures failure(s)" >&2
    exit 1
fi
echo "package check: all good"
