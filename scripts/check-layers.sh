#!/usr/bin/env bash
# Fails when an include crosses the layers the wrong way: a folder may include only folders
# of lower layers (ARCHITECTURE.md), so no two folders include each other, and the layers
# below the windows include no Qt. Run by `make test` (ctest: layer_includes).
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# Folder and layer, bottom first. Folders of one layer never include each other.
declare -A layer=(
    [core]=0 [repair]=0
    [station_link]=1
    [station]=2
    [store]=3 [emulator]=3
    [store/import]=4
    [acquisition]=5 [upload]=5 [mqtt]=5
    [config]=6
    [report]=7
    [web]=8 [views]=8
    [session]=9
    [desktop]=10
    [soak]=11 [bench]=11 [fuzz]=11 [tests]=12
)
qt_free=(core repair station_link station store emulator acquisition upload mqtt config report web session)

folder_of() {
    case $1 in
        store/import/*) echo store/import ;;
        *) echo "${1%%/*}" ;;
    esac
}

status=0
while IFS= read -r file; do
    from=$(folder_of "$file")
    [ -n "${layer[$from]+x}" ] || continue
    while IFS= read -r included; do
        to=$(folder_of "$included")
        if [ -z "${layer[$to]+x}" ] || [ "$to" = "$from" ]; then
            continue
        fi
        if [ "${layer[$to]}" -ge "${layer[$from]}" ]; then
            echo "$file includes $included: $from may include only lower layers" >&2
            status=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    for free in "${qt_free[@]}"; do
        if [ "$from" = "$free" ] && grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file"; then
            echo "$file includes Qt: $from is below the windows and has no Qt" >&2
            status=1
        fi
    done
done < <(find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)

if [ "$status" -eq 0 ]; then
    echo "layer includes: every include points to a lower layer"
fi
exit "$status"
