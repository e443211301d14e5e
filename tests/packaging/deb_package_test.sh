# Builds the Debian package as `make package` does, into a scratch folder, and checks
# what dpkg would install from it and what it would ask apt for.
. "$(dirname "$0")/common.sh"

if ! cpack -G DEB --config "$NIMBRA_BUILD_DIR/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack failed"
    finish
fi
deb=$(find "$work/out" -maxdepth 1 -name '*.deb')
[ "$(echo "$deb" | wc -l)" -eq 1 ] && [ -n "$deb" ] || { fail "expected one .deb, got: $deb"; finish; }

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
for file in $(expected_files); do
    echo "$contents" | grep -qx "/usr/$file" || fail "the package lacks /usr/$file"
done
# udev reads its rules from /usr/lib/udev/rules.d, whatever the library folder is.
echo "$contents" | grep -qx "/usr/lib/udev/rules.d/60-nimbraplus.rules" ||
    fail "the udev rule is not in /usr/lib/udev/rules.d"
outside=$(echo "$contents" | grep -v -e '^/usr/' -e '^/$' || true)
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = nimbraplus ] || fail "package name is $(field Package)"
[ "$(field Version)" = "$NIMBRA_VERSION" ] || fail "package version $(field Version), program $NIMBRA_VERSION"
depends=$(field Depends)
# Computed from the binaries, plus what they load without linking.
for library in libqt6widgets6 libhidapi-hidraw0 libsqlite3-0 libusb-1.0-0 libc6 qt6-qpa-plugins; do
    echo "$depends" | grep -q "\b$library\b" || fail "Depends lacks $library: $depends"
done

dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "the package has no executable postinst"

dpkg-deb -x "$deb" "$work/root"
check_installed_tree "$work/root/usr" /usr
readelf -S "$work/root/usr/$NIMBRA_BINDIR/nimbraplus" | grep -q '\.debug_info' &&
    fail "nimbraplus is packed with its debugging information"

finish
