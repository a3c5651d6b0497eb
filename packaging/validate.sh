#!/bin/sh
# validate.sh TOOL FILE [ARGS...]: runs "TOOL ARGS FILE". Exits 77 (a skip for ctest) when TOOL is
# not installed, so a missing validator never passes for a validated file.
tool=$1
file=$2
shift 2
if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: $file not validated"
    exit 77
fi
exec "$tool" "$@" "$file"
