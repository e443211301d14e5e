# Installs the build into a temporary DESTDIR under a prefix other than /usr, where
# nothing is found by accident, and runs the installed programs from there.
. "$(dirname "$0")/common.sh"

prefix=/opt/nimbraplus-test
root="$work/root"
if ! DESTDIR="$root" cmake --install "$NIMBRA_BUILD_DIR" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "cmake --install failed"
    finish
fi
tree="$root$prefix"
check_installed_tree "$tree" "$prefix"

# No file may land outside the prefix (DESTDIR installs of an absolute destination).
stray=$(cd "$root" && find . -type f ! -path ".$prefix/*")
[ -z "$stray" ] || fail "installed outside the prefix: $stray"

# The installed programs run with a bare environment: no LD_LIBRARY_PATH and no display,
# not even an offscreen one, so --version and --help must not start the GUI. Only the
# sanitizers' settings pass, for a build made with them.
run() {
    env -i HOME="$work" PATH=/usr/bin:/bin ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} \
        ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} ${TSAN_OPTIONS:+TSAN_OPTIONS="$TSAN_OPTIONS"} "$@"
}
version=$(run "$tree/$NIMBRA_BINDIR/nimbraplus" --version 2>&1) ||
    fail "installed nimbraplus --version failed: $version"
case "$version" in
    *" $NIMBRA_VERSION") ;;
    *) fail "nimbraplus --version says '$version', the package is $NIMBRA_VERSION" ;;
esac
run "$tree/$NIMBRA_BINDIR/fixora" --help >/dev/null 2>&1 || fail "installed fixora --help failed"

# Every library the program needs resolves, the station link to the installed copy.
libraries=$(run ldd "$tree/$NIMBRA_BINDIR/nimbraplus")
echo "$libraries" | grep -q "not found" && fail "unresolved libraries: $(echo "$libraries" | grep "not found")"
if readelf -d "$tree/$NIMBRA_BINDIR/nimbraplus" | grep -q "Shared library: \[libhidlink.so\]"; then
    echo "$libraries" | grep -q "libhidlink.so => $tree/" ||
        fail "libhidlink.so is not taken from the installation: $(echo "$libraries" | grep libhidlink)"
fi

# The installed logger runs as its unit runs it, with its shipped data found beside it:
# a new data folder seeded with Main.ini, messages from the installed string tables, the
# history downloaded (from the built-in emulator) into a new database.
data="$work/data"
output=$(run timeout 120 "$tree/$NIMBRA_BINDIR/nimbraplus" --headless --once --emulator \
    --data-dir "$data" --language English 2>&1) || fail "installed nimbraplus --headless failed: $output"
cmp -s "$data/Main.ini" "$tree/$NIMBRA_DATADIR/nimbraplus/Main.ini" ||
    fail "the data folder was not seeded with the installed Main.ini"
echo "$output" | grep -qx "USB Connected" || fail "the logger did not report the station: $output"
[ -s "$data/Nimbra7420.db" ] || fail "the logger made no database"

# The window, drawn from the same installed data.
output=$(run QT_QPA_PLATFORM=offscreen timeout 120 "$tree/$NIMBRA_BINDIR/nimbraplus" --emulator \
    --data-dir "$work/window-data" --language English --show main --screenshot "$work/main.png" 2>&1) ||
    fail "installed nimbraplus --show main failed: $output"
[ -s "$work/main.png" ] || fail "no screenshot of the main window"

# The unit's hook after the logger ends: the repair tool runs for status 3 (a station that
# stopped answering) and for nothing else. systemd turns $$ into $ before the shell sees it;
# the installed tree stands in for the prefix.
stop_post=$(sed -n 's/^ExecStopPost=-//p' "$tree/$NIMBRA_SYSTEMD_USER_UNIT_DIR/nimbraplus-logger.service" |
    sed "s/\\\$\\\$/\$/g; s|$prefix/|$tree/|g")
[ -n "$stop_post" ] || fail "the unit has no ExecStopPost hook"
mkdir -p "$work/no-sysfs"
for status in 3 0 1; do
    output=$(run EXIT_STATUS=$status FIXORA_SYSFS_ROOT="$work/no-sysfs" sh -c "
        eval set -- \"\$1\"; \"\$@\"" sh "$stop_post" 2>&1 || true)
    if [ "$status" = 3 ]; then
        echo "$output" | grep -q "started /bin/true" || fail "status 3 does not run the repair tool: $output"
    else
        [ -z "$output" ] || fail "status $status runs the repair tool: $output"
    fi
done

if command -v systemd-analyze >/dev/null 2>&1; then
    # Offline check of the unit against the installed tree; it prints what it rejects.
    unit="$work/nimbraplus-logger.service"
    sed "s|$prefix|$tree|g" "$tree/$NIMBRA_SYSTEMD_USER_UNIT_DIR/nimbraplus-logger.service" >"$unit"
    verdict=$(systemd-analyze verify --man=no "$unit" 2>&1) || fail "systemd-analyze verify: $verdict"
    [ -z "$verdict" ] || fail "systemd-analyze verify: $verdict"
fi

finish
