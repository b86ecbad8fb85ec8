#!/usr/bin/env bash
# scripts/fetch-player against a stand-in npm on PATH, so that no registry is needed: what it
# refuses, what it never downloads twice, and that a package failing its integrity check
# leaves the folder as it was.
#   fetch_player_test.sh PATH/TO/scripts/fetch-player
set -uo pipefail
script=$(realpath "$1")
pin_version=$(sed -n 's/^version=//p' "$script")
pin_integrity=$(sed -n 's/^integrity=//p' "$script")
pinned_stamp="@ruffle-rs/ruffle@$pin_version $pin_integrity"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
# The stand-in: "fail" answers like a registry without the version; "other" packs a package
# whose bytes are not the pinned ones.
cat >"$scratch/bin/npm" <<'EOF'
#!/usr/bin/env bash
echo "npm $*" >>"$FAKE_NPM_LOG"
case "$FAKE_NPM_MODE" in
fail)
    echo "npm error code ETARGET" >&2
    echo "npm error notarget No matching version found." >&2
    echo "npm error A complete log of this run can be found in: /tmp/x.log" >&2
    exit 1
    ;;
other)
    mkdir -p package && echo "not the player" >package/ruffle.js
    tar -czf ruffle-rs-ruffle.tgz package && rm -r package
    echo ruffle-rs-ruffle.tgz
    ;;
esac
EOF
chmod +x "$scratch/bin/npm"

failures=0
passes=0
# check NAME CONDITION MESSAGE...: one expectation of a case; CONDITION is a test command.
check() {
    local name=$1 condition=$2
    shift 2
    if eval "$condition"; then
        passes=$((passes + 1))
    else
        failures=$((failures + 1))
        echo "FAIL $name: $*"
    fi
}

# run CASE MODE [ARGS...]: the script in a fresh folder; sets rc, out, err and npm_calls.
run() {
    local mode=$1
    shift
    : >"$scratch/npm.log"
    out=$(cd "$scratch/work" && PATH="$scratch/bin:$PATH" FAKE_NPM_MODE=$mode \
        FAKE_NPM_LOG="$scratch/npm.log" "$script" "$@" 2>"$scratch/err")
    rc=$?
    err=$(cat "$scratch/err")
    npm_calls=$(wc -l <"$scratch/npm.log")
}

fresh() {
    rm -rf "$scratch/work"
    mkdir "$scratch/work"
}

# -- more than one folder is a usage error
fresh
run other a b
check usage '[ "$rc" = 2 ]' "exit $rc"
check usage '[ "$err" = "usage: scripts/fetch-player [DIR]" ]' "said: $err"
check usage '[ "$npm_calls" = 0 ]' "npm ran"

# -- a folder the script did not fill is never replaced
fresh
mkdir "$scratch/work/mine" && echo keep >"$scratch/work/mine/notes.txt"
run other mine
check foreign '[ "$rc" = 1 ]' "exit $rc"
check foreign '[ "$err" = "fetch-player: $scratch/work/mine exists and does not hold a player installed by this script; remove it or name another folder" ]' "said: $err"
check foreign '[ "$(cat "$scratch/work/mine/notes.txt")" = keep ]' "the folder changed"
check foreign '[ "$npm_calls" = 0 ]' "npm ran"

# -- the pinned version already in place: nothing is downloaded
fresh
mkdir "$scratch/work/player" && echo "$pinned_stamp" >"$scratch/work/player/.vorn-player"
echo player >"$scratch/work/player/ruffle.js"
run other player
check present '[ "$rc" = 0 ]' "exit $rc"
check present '[ "$out" = "fetch-player: $scratch/work/player already holds @ruffle-rs/ruffle $pin_version" ]' "said: $out"
check present '[ "$npm_calls" = 0 ]' "npm ran"

# -- a stamp without the player's files is not taken for an installed player
fresh
mkdir "$scratch/work/player" && echo "$pinned_stamp" >"$scratch/work/player/.vorn-player"
run other player
check half '[ "$npm_calls" = 1 ]' "npm ran $npm_calls times"

# -- the registry refuses: its reason is passed on and nothing is created
fresh
run fail player
check refused '[ "$rc" = 1 ]' "exit $rc"
check refused '[ "$err" = "fetch-player: npm could not download @ruffle-rs/ruffle@$pin_version: npm error code ETARGET npm error notarget No matching version found. " ]' "said: $err"
check refused '[ ! -e "$scratch/work/player" ]' "the folder was created"
check refused '[ -z "$(ls -A "$scratch/work")" ]' "scratch files were left: $(ls -A "$scratch/work")"

# -- bytes that are not the pinned package are never unpacked
fresh
run other player
check mismatch '[ "$rc" = 1 ]' "exit $rc"
case "$err" in
"fetch-player: @ruffle-rs/ruffle@$pin_version does not match the pinned integrity: expected $pin_integrity, got sha512-"*"; nothing was installed") ok=0 ;;
*) ok=1 ;;
esac
check mismatch '[ "$ok" = 0 ]' "said: $err"
check mismatch '[ ! -e "$scratch/work/player" ]' "the folder was created"
check mismatch '[ -z "$(ls -A "$scratch/work")" ]' "scratch files were left: $(ls -A "$scratch/work")"

# -- an older player stays whole when the new download does not match
fresh
mkdir "$scratch/work/player" && echo "@ruffle-rs/ruffle@0.0.1 sha512-old" >"$scratch/work/player/.vorn-player"
echo old >"$scratch/work/player/ruffle.js"
run other player
check upgrade '[ "$rc" = 1 ]' "exit $rc"
check upgrade '[ "$(cat "$scratch/work/player/ruffle.js")" = old ]' "the old player was touched"
check upgrade '[ "$(cat "$scratch/work/player/.vorn-player")" = "@ruffle-rs/ruffle@0.0.1 sha512-old" ]' "the stamp changed"

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
