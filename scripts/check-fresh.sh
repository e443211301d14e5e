#!/usr/bin/env bash
# Runs the README's Quick start in a bare Debian 12 root, as a new user would: a clone of
# the current commit, `make test`, then `make demo` without a display until the logger has
# finished a download from the emulator. Whatever `make` needs and does not install is
# missing from scripts/install-deps.sh, so this check fails.
#
# The bare root (Debian's `apt` variant plus git, make and ca-certificates) is bootstrapped
# with mmdebstrap from the package sources this machine's apt is configured with, and kept
# as a pristine tarball in ~/.cache/nimbraplus so each run unpacks it anew. Everything runs
# in a mount and PID namespace of its own: the mounts and every process started inside end
# with the check.
#
# FRESH_DIR (default build-fresh) holds the unpacked root and the logs; FRESH_DEMO_SECONDS
# (30) is how long the demo runs.
set -euo pipefail

repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
commit=$(git -C "$repo" rev-parse HEAD)
work=$(realpath -m "${FRESH_DIR:-$repo/build-fresh}")
cache=${XDG_CACHE_HOME:-$HOME/.cache}/nimbraplus
demo_seconds=${FRESH_DEMO_SECONDS:-30}
logs=$work/logs
root=$work/root
checkout=/home/owner/nimbraplus
started=$SECONDS

say() { echo "check-fresh: $*"; }
fail() {
    say "FAILED: $1 (log: $2)"
    exit 1
}

if [ "$(id -u)" -ne 0 ]; then
    say "needs root: it unpacks a Debian root and runs in it with chroot and bind mounts of"
    say "/proc and /dev. Run it as root (sudo make check-fresh)."
    exit 1
fi
"$repo/scripts/install-deps.sh" mmdebstrap

mkdir -p "$work" "$cache"
rm -rf "$logs"
mkdir -p "$logs"

# The package sources and the options of their archive (a snapshot archive needs its
# expired Release files accepted), as apt on this machine reads them.
sources=()
eval "$(apt-config shell source_list Dir::Etc::sourcelist/f source_parts Dir::Etc::sourceparts/d)"
if [ -f "$source_list" ] && grep -qE '^[[:space:]]*deb' "$source_list"; then
    sources+=("$source_list")
fi
for file in "$source_parts"/*.list "$source_parts"/*.sources; do
    [ -f "$file" ] && sources+=("$file")
done
if [ ${#sources[@]} -eq 0 ]; then
    say "this machine's apt has no package sources to bootstrap from"
    exit 1
fi
apt_options=()
for key in Acquire::Check-Valid-Until Acquire::Check-Date Acquire::http::Proxy \
    Acquire::https::Proxy; do
    line=$(apt-config dump "$key" | grep -E "^$key " || true)
    [ -n "$line" ] && apt_options+=("--aptopt=${line% *} ${line##* }")
done
bootstrap=(mmdebstrap --variant=apt --format=tar --include=git,make,ca-certificates "${apt_options[@]}"
    bookworm)

# A new pristine root when the sources or the options change, and once a week for updates.
key=$( (printf '%s\n' "${bootstrap[@]}"; cat "${sources[@]}") | sha256sum | cut -c1-16)
pristine=$cache/bookworm-$key.tar
if [ -n "$(find "$pristine" -mtime +7 2>/dev/null)" ]; then
    rm -f "$pristine"
fi
if [ ! -f "$pristine" ]; then
    say "bootstrapping a bare Debian 12 root"
    rm -f "$cache"/bookworm-*.tar
    if ! "${bootstrap[@]}" "$pristine.part" "${sources[@]}" >"$logs/bootstrap.log" 2>&1; then
        rm -f "$pristine.part"
        fail "bootstrapping the root" "$logs/bootstrap.log"
    fi
    mv "$pristine.part" "$pristine"
fi

# Never delete through a mount left behind by an earlier run that was killed.
if findmnt -rn -o TARGET | grep -q "^$root"; then
    say "something is still mounted under $root; unmount it first"
    exit 1
fi
rm -rf "$root"
mkdir -p "$root"
tar -C "$root" -xf "$pristine"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir -p "$root/home/owner"
git clone -q --no-hardlinks "$repo" "$root$checkout"
git -C "$root$checkout" checkout -q --detach "$commit"

# Downloaded packages are kept between runs; installing them is still the root's own work.
mkdir -p "$cache/apt-archives/partial" "$root/var/cache/apt/archives"

inside() {
    local log=$1
    shift
    unshare --mount --pid --fork --propagation private -- bash -c '
        set -e
        root=$1; archives=$2; shift 2
        mount --rbind /dev "$root/dev"
        mount -t proc proc "$root/proc"
        mount --bind "$archives" "$root/var/cache/apt/archives"
        exec chroot "$root" env -i HOME=/root TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            bash -c "cd '"$checkout"' && $*"
    ' inside "$root" "$cache/apt-archives" "$@" >"$log" 2>&1
}

say "make test in the bare root (commit ${commit:0:10})"
if ! inside "$logs/test.log" "timeout 3600 make test"; then
    fail "make test in the bare root" "$logs/test.log"
fi
summary=$(grep -E 'tests passed' "$logs/test.log" | tail -1)

status=0
inside "$logs/demo.log" "timeout --signal=INT $demo_seconds make demo" || status=$?
# Stopped by the time limit is the expected end; anything else is a failure.
if [ "$status" -ne 0 ] && [ "$status" -ne 124 ] && [ "$status" -ne 130 ]; then
    fail "make demo ended with status $status" "$logs/demo.log"
fi
if ! grep -qx 'Complete' "$logs/demo.log"; then
    fail "make demo did not complete a download from the emulator in ${demo_seconds} s" \
        "$logs/demo.log"
fi

minutes=$(((SECONDS - started + 30) / 60))
say "passed in a bare Debian 12 root: make test (${summary:-see log}), make demo" \
    "(download complete), ${minutes} min; logs in $logs"
