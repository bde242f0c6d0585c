#!/usr/bin/env bash
# The real program with a tune as its Start.mid, on SDL's dummy drivers: one
# the synthesiser refuses closes the game at once with its reason (status 1);
# one it plays keeps the game running until SIGTERM, which ends it (status 0)
# within seconds. Neither ever needs SIGKILL. Every kind of tune is held to the
# synthesiser's verdict in-process; this is the whole program's answer to each.
# Usage: BadTunes.sh <path of Torvane> <plays-*.mid or refused-*.mid>...
set -uo pipefail
program=$1
shift
folder=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$folder"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
# How long SIGTERM may take at most: far above a frame or a tune's fade. The
# game may still be reading its 148 MB soundfont when the signal comes, which
# takes several seconds on a loaded machine (7.5 s at a load of 40).
deadline_ms=15000
failed=0

refused() {
    local said status
    said=$(cd "$folder" && timeout -k 2 60 "$program" 2>&1 >/dev/null)
    status=$?
    if [ "$status" -ne 1 ] || [[ "$said" != "Torvane: music: cannot load the tune $folder/Start.mid"* ]]; then
        echo "$1: status $status, said: $said (expected status 1 and the tune named)"
        failed=1
    fi
}

# Whether process $1 has a handler for SIGTERM (bit 15 of its caught signals).
answers_sigterm() {
    local caught
    caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null)
    [ -n "$caught" ] && (((16#$caught >> 14) & 1))
}

played() {
    local pid game= status began took i
    (cd "$folder" && exec timeout -k 2 60 "$program" >/dev/null 2>"$folder/said") &
    pid=$!
    # Up to 30 s for the game to set up its window, which answers SIGTERM, then a second for the tune.
    for ((i = 0; i < 300; i++)); do
        game=$(pgrep -P "$pid") && answers_sigterm "$game" && break
        game=
        sleep 0.1
    done
    [ -n "$game" ] && sleep 1
    if [ -z "$game" ] || ! kill -0 "$game" 2>/dev/null; then
        wait "$pid"
        echo "$1: ended or never answered SIGTERM, status $?, said: $(cat "$folder/said")"
        failed=1
        return
    fi
    began=$(date +%s%N)
    kill -TERM "$game"
    wait "$pid"  # bounded by the time-out above
    status=$?
    took=$((($(date +%s%N) - began) / 1000000))
    if [ "$status" -ne 0 ] || [ "$took" -gt "$deadline_ms" ]; then
        echo "$1: status $status $took ms after SIGTERM, said: $(cat "$folder/said") (expected status 0 within $deadline_ms ms)"
        failed=1
    fi
}

for tune in "$@"; do
    name=$(basename "$tune" .mid)
    cp "$tune" "$folder/Start.mid"
    case $name in
    plays-*) played "$name" ;;
    refused-*) refused "$name" ;;
    *) echo "$name: neither plays-... nor refused-..."; failed=1 ;;
    esac
done
[ "$#" -ge 2 ] || { echo "expected at least one tune that plays and one refused"; failed=1; }
exit $failed
