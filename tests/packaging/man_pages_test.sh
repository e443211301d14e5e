# The manual pages: free of formatter warnings, and describing every option the
# programs' own --help lists.
. "$(dirname "$0")/common.sh"

pages="$NIMBRA_SOURCE_DIR/packaging/man"

for page in "$pages"/*.1; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) || fail "man cannot format $page"
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# The options a page documents, read from the roff source (\- is a hyphen there).
documented_options() {
    sed 's/\\-/-/g; s/\\f[BIRP]//g' "$1" | grep -oE -- '(^|[^[:alnum:]-])--?[[:alnum:]][[:alnum:]-]*' |
        sed 's/^[^-]*//' | sort -u
}
for program in nimbraplus fixora; do
    help=$("$NIMBRA_BUILD_DIR/bin/$program" --help) || { fail "$program --help failed"; continue; }
    offered=$(echo "$help" | grep -oE -- '(^|[ ,])--?[[:alnum:]][[:alnum:]-]*' | sed 's/^[ ,]*//' | sort -u)
    documented=$(documented_options "$pages/$program.1")
    for option in $offered; do
        echo "$documented" | grep -qx -- "$option" || fail "$program.1 does not describe $option"
    done
    [ -n "$offered" ] || fail "no options found in $program --help"
done

finish
