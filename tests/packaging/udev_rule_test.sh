# The udev rule: well-formed for udev, and opening both of the station's device nodes to
# the seat's user and to the group for headless boxes.
. "$(dirname "$0")/common.sh"

rule="$NIMBRA_SOURCE_DIR/packaging/60-nimbraplus.rules"

# udev's grammar, as far as these rules use it: comma-separated KEY[{attr}]OP"value"
# with match keys compared (==, !=) and the others assigned. udev ignores a malformed
# rule with no more than a log line, so the station would silently stay root's.
rules_are_well_formed() {
    awk '
        function fail(message) { printf "%s:%d: %s\n", FILENAME, FNR, message; bad = 1 }
        BEGIN {
            split("ACTION DEVPATH KERNEL KERNELS SUBSYSTEM SUBSYSTEMS DRIVER DRIVERS ATTRS TAGS TEST PROGRAM RESULT CONST", m)
            for (i in m) match_only[m[i]] = 1
            split("MODE OWNER GROUP RUN IMPORT LABEL GOTO OPTIONS SECLABEL", a)
            for (i in a) assign_only[a[i]] = 1
            split("ENV TAG ATTR NAME SYMLINK SYSCTL", e)
            for (i in e) either[e[i]] = 1
        }
        /^[[:space:]]*(#|$)/ { next }
        {
            line = $0
            while (line != "") {
                if (!match(line, /^[[:space:]]*[A-Z_]+(\{[^}]*\})?[[:space:]]*(==|!=|\+=|-=|:=|=)[[:space:]]*"[^"]*"[[:space:]]*/)) {
                    fail("cannot read \"" line "\""); break
                }
                token = substr(line, 1, RLENGTH); line = substr(line, RLENGTH + 1)
                key = token; sub(/^[[:space:]]*/, "", key); sub(/[{=!+:\-[:space:]].*/, "", key)
                op = token; sub(/^[^=!+:\-]*(\{[^}]*\})?[[:space:]]*/, "", op); sub(/".*/, "", op); gsub(/[[:space:]]/, "", op)
                compares = (op == "==" || op == "!=")
                if (!(key in match_only) && !(key in assign_only) && !(key in either)) fail("unknown key " key)
                else if ((key in match_only) && !compares) fail(key " must be compared with == or !=")
                else if ((key in assign_only) && compares) fail(key " must be assigned")
                if (line != "" && !sub(/^,[[:space:]]*/, "", line)) { fail("missing comma before \"" line "\""); break }
            }
        }
        END { exit bad }
    ' "$@"
}

# The check itself must catch the usual slips, each of which udev would skip silently.
printf '%s\n' 'SUBSYSTEM=="hidraw", ATTRS{idVendor}=="1941", MODE="0660", TAG+="uaccess"' >"$work/good.rules"
rules_are_well_formed "$work/good.rules" >/dev/null || fail "the check rejects a well-formed rule"
n=0
while IFS= read -r bad; do
    n=$((n + 1))
    printf '%s\n' "$bad" >"$work/bad$n.rules"
    rules_are_well_formed "$work/bad$n.rules" >/dev/null && fail "the check accepts: $bad"
done <<'BAD'
SUBSYSTEM=="hidraw", ATTRS{idVendor}="1941", MODE="0660"
SUBSYSTEM=="hidraw", ATTRS{idVendor}=="1941", MODE=="0660"
SUBSYSTEM=="hidraw" ATTRS{idVendor}=="1941", MODE="0660"
SUBSYSTEM=="hidraw", ATRS{idVendor}=="1941", MODE="0660"
SUBSYSTEM=="hidraw", ATTRS{idVendor}==1941, MODE="0660"
BAD

verdict=$(rules_are_well_formed "$rule") || fail "malformed rule: $verdict"
if udevadm verify --help >/dev/null 2>&1; then
    verdict=$(udevadm verify "$rule" 2>&1) || fail "udevadm verify: $verdict"
fi

# Both nodes of the station: the hidraw node for the program, the USB device node for the
# repair tool's port reset; each for the seat's user and for the group.
for node in 'SUBSYSTEM=="hidraw"' 'ENV{DEVTYPE}=="usb_device"'; do
    line=$(grep -F "$node" "$rule" | grep -v '^#' || true)
    [ "$(echo "$line" | grep -c .)" -eq 1 ] || { fail "expected one rule for $node"; continue; }
    for part in '{idVendor}=="1941"' '{idProduct}=="8021"' 'TAG+="uaccess"' 'GROUP="plugdev"' 'MODE="0660"'; do
        echo "$line" | grep -qF "$part" || fail "the rule for $node lacks $part"
    done
done
# Seat access is granted by the rules numbered 73; a rule after them tags too late.
case "$(basename "$rule")" in
    [0-6][0-9]-*) ;;
    *) fail "$(basename "$rule") runs after the seat rules" ;;
esac

finish
