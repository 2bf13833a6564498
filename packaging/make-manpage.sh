#!/bin/sh
# make-manpage.sh PROGRAM SUMMARY EXTRA.roff OUT.1
# Writes PROGRAM's manual page from its own --help and --version, so that the two always say
# the same: the usage lines become the synopsis and the rest of --help the description, both
# kept as laid out for a terminal. EXTRA.roff adds what only a manual page has (files, see
# also). The page's date is SOURCE_DATE_EPOCH's when it is set.
set -eu
program=$1 summary=$2 extra=$3 out=$4
name=$(basename "$program")
version=$("$program" --version | sed -n '1s/.* //p')
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    date=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%B %Y')
else
    date=$(date -u '+%B %Y')
fi
help=$(mktemp)
trap 'rm -f "$help"' EXIT
"$program" --help >"$help"

# roff: backslashes shown as typed, a leading dot or quote taken as text, minus signs that
# copy and paste as hyphens, blank lines as vertical space.
escape() {
    sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/" -e 's/-/\\-/g' -e 's/^$/.sp/'
}

{
    printf '.TH %s 1 "%s" "Tollbrook %s" "User Commands"\n' \
        "$(printf '%s' "$name" | tr '[:lower:]' '[:upper:]' | sed 's/-/\\-/g')" "$date" "$version"
    printf '.SH NAME\n%s \\- %s\n' "$(printf '%s' "$name" | sed 's/-/\\-/g')" "$summary"
    # The usage block: the first line ("usage: ..." or "Usage: ...") and the indented lines
    # after it, shifted left by the width of the "usage: " they were aligned under.
    printf '.SH SYNOPSIS\n.nf\n'
    awk 'NR == 1 { sub(/^[Uu]sage: /, ""); print; next }
         /^ / { sub(/^       /, ""); print; next }
         { exit }' "$help" | escape
    printf '.fi\n.SH DESCRIPTION\n.nf\n'
    awk 'NR == 1 { next } started == 0 && /^ / { next } { started = 1; print }' "$help" |
        sed '/./,$!d' | escape
    printf '.fi\n'
    cat "$extra"
} >"$out"
