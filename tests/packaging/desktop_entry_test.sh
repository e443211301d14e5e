# The desktop entry and the AppStream metadata, as the desktop's tools read them.
. "$(dirname "$0")/common.sh"

packaging="$NIMBRA_SOURCE_DIR/packaging"
desktop="$packaging/nimbraplus.desktop"
metainfo="$packaging/org.nimbraplus.NimbraPlus.metainfo.xml"
icon="$NIMBRA_SOURCE_DIR/resources/icons/nimbraplus.svg"

verdict=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $verdict"
[ -z "$verdict" ] || fail "desktop-file-validate: $verdict"
verdict=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $verdict"

# The metadata, the desktop entry and the icon must name each other as installed.
grep -q "<launchable type=\"desktop-id\">nimbraplus.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch nimbraplus.desktop"
grep -q "<id>$(basename "$metainfo" .metainfo.xml)</id>" "$metainfo" ||
    fail "the metadata's file name is not its component id"
grep -qx "Icon=nimbraplus" "$desktop" || fail "the desktop entry does not use the nimbraplus icon"
grep -qx "Exec=nimbraplus" "$desktop" || fail "the desktop entry does not start nimbraplus"
grep -q "<release version=\"$NIMBRA_VERSION\"" "$metainfo" ||
    fail "the metadata has no release $NIMBRA_VERSION"

verdict=$(xmllint --noout "$icon" 2>&1) || fail "the scalable icon is not well-formed: $verdict"
grep -q 'viewBox="0 0 64 64"' "$icon" || fail "the scalable icon is not square on the icon's grid"

finish
