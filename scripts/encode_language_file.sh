#!/bin/sh
# Writes a language file in the encoding the engine's XML reader understands.
# The reader does not decode UTF-8 (each byte above 127 would become one
# character), but it does read UTF-16 with a byte-order mark. So a language
# file with accented text is edited as UTF-8 and stored as UTF-16LE + BOM.
#
#   Edit:   iconv -f UTF-16 -t UTF-8 lang/fr.xml > /tmp/fr.xml   (then edit /tmp/fr.xml)
#   Store:  scripts/encode_language_file.sh /tmp/fr.xml lang/fr.xml
set -eu
if [ $# -ne 2 ]; then
    echo "usage: $0 <utf8-input.xml> <utf16-output.xml>" >&2
    exit 2
fi
input=$1
output=$2
# Refuse input that is not valid UTF-8, rather than storing garbage.
iconv -f UTF-8 -t UTF-8 "$input" > /dev/null
tmp="$output.tmp.$$"
trap 'rm -f "$tmp"' EXIT
printf '\377\376' > "$tmp"
# A UTF-8 byte-order mark in the input would become a second mark: drop it.
sed '1s/^\xEF\xBB\xBF//' "$input" | iconv -f UTF-8 -t UTF-16LE >> "$tmp"
mv "$tmp" "$output"
trap - EXIT
