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
depends=$(field Depends | sed 's/([^)]*)//g; s/[[:space:]]//g' | tr ',|' '\n\n')
echo "$depends" | grep -qx qt6-qpa-plugins || fail "Depends lacks the platform plugins: $depends"
echo "$depends" | grep -qx libjs-dygraphs || fail "Depends lacks the web page's chart script: $depends"
for data in qt6-translations-l10n fonts-wqy-zenhei; do
    field Recommends | grep -q "\b$data\b" || fail "Recommends lacks $data"
done

dpkg-deb -x "$deb" "$work/root"
# Every library a packed binary links, unless packed with it, comes from a package that
# Depends names: dpkg -i plus apt-get -f install then gives a program that starts.
packed=$(find "$work/root" -type f -name '*.so*' -exec basename {} \;)
for binary in "$work/root/usr/$NIMBRA_BINDIR"/* "$work/root/usr/$NIMBRA_LIBDIR"/*.so*; do
    resolved=$(ldd "$binary")
    for soname in $(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        echo "$packed" | grep -qxF "$soname" && continue
        # ldd names most libraries "soname => path", the dynamic loader by its path alone.
        path=$(echo "$resolved" | awk -v s="$soname" '
            $1 == s && $2 == "=>" { print $3; exit }
            { n = split($1, part, "/") } n > 1 && part[n] == s { print $1; exit }')
        owner=
        if [ -n "$path" ]; then
            owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null || true)
        fi
        owner=${owner%%:*}
        if [ -z "$owner" ]; then
            fail "no package provides $soname needed by $(basename "$binary")"
        elif ! echo "$depends" | grep -qxF "$owner"; then
            fail "Depends lacks $owner ($soname, needed by $(basename "$binary"))"
        fi
    done
done

dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "the package has no executable postinst"

check_installed_tree "$work/root/usr" /usr
readelf -S "$work/root/usr/$NIMBRA_BINDIR/nimbraplus" | grep -q '\.debug_info' &&
    fail "nimbraplus is packed with its debugging information"

finish
