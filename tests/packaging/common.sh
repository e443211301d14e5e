# Shared by the packaging tests: failure reporting, a scratch folder, and the files an
# installation must hold (relative to its prefix).
set -eu

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The programs run here take their one-instance lock beside this test's files, so that a
# program another test runs at the same time does not turn them away.
export NIMBRA_LOCK_DIR="$work"

icon_sizes="16 22 24 32 48 64 128 256"

expected_files() {
    echo "$NIMBRA_BINDIR/nimbraplus"
    echo "$NIMBRA_BINDIR/fixora"
    echo "$NIMBRA_LIBDIR/libhidlink.so"
    echo "$NIMBRA_DATADIR/nimbraplus/Main.ini"
    for table in "$NIMBRA_SOURCE_DIR"/resources/strings/*.txt; do
        echo "$NIMBRA_DATADIR/nimbraplus/strings/$(basename "$table")"
    done
    echo "$NIMBRA_DATADIR/applications/nimbraplus.desktop"
    echo "$NIMBRA_DATADIR/metainfo/org.nimbraplus.NimbraPlus.metainfo.xml"
    echo "$NIMBRA_DATADIR/icons/hicolor/scalable/apps/nimbraplus.svg"
    for size in $icon_sizes; do
        echo "$NIMBRA_DATADIR/icons/hicolor/${size}x${size}/apps/nimbraplus.png"
    done
    echo "$NIMBRA_MANDIR/man1/nimbraplus.1.gz"
    echo "$NIMBRA_MANDIR/man1/fixora.1.gz"
    echo "$NIMBRA_UDEV_RULES_DIR/60-nimbraplus.rules"
    echo "$NIMBRA_SYSTEMD_USER_UNIT_DIR/nimbraplus-logger.service"
}

# Width and height of a PNG file, from its IHDR chunk, as "WxH".
png_size() {
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ printf "%dx%d", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }'
}

# Checks an installed tree under $1 (DESTDIR plus prefix) that was installed for the
# prefix $2: every file, the icons' sizes, the unit's command, the binaries' RPATH.
check_installed_tree() {
    tree=$1
    prefix=$2
    for file in $(expected_files); do
        [ -s "$tree/$file" ] || fail "missing or empty: $prefix/$file"
    done
    for size in $icon_sizes; do
        png="$tree/$NIMBRA_DATADIR/icons/hicolor/${size}x${size}/apps/nimbraplus.png"
        [ -f "$png" ] || continue
        actual=$(png_size "$png")
        [ "$actual" = "${size}x${size}" ] || fail "icon ${size}x${size} is $actual"
    done
    for program in nimbraplus fixora; do
        [ -x "$tree/$NIMBRA_BINDIR/$program" ] || fail "$program is not executable"
    done

    unit="$tree/$NIMBRA_SYSTEMD_USER_UNIT_DIR/nimbraplus-logger.service"
    if [ -f "$unit" ]; then
        grep -qx "ExecStart=$prefix/$NIMBRA_BINDIR/nimbraplus --headless" "$unit" ||
            fail "the unit does not start $prefix/$NIMBRA_BINDIR/nimbraplus --headless"
        grep -qx "Restart=on-failure" "$unit" || fail "the unit does not restart on failure"
        grep -q "exec $prefix/$NIMBRA_BINDIR/fixora " "$unit" ||
            fail "the unit does not run $prefix/$NIMBRA_BINDIR/fixora"
    fi

    # The build tree's RPATH must not survive: the program would load the library of the
    # build it came from, or none once that is gone.
    program="$tree/$NIMBRA_BINDIR/nimbraplus"
    if [ -f "$program" ]; then
        runpath=$(readelf -d "$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
        case "$runpath" in
            *"$NIMBRA_BUILD_DIR"*) fail "nimbraplus keeps the build tree's RUNPATH $runpath" ;;
            '$ORIGIN/'*) ;;
            *) fail "nimbraplus has no RUNPATH relative to itself (got '$runpath')" ;;
        esac
    fi
}
