#!/usr/bin/env bash
# The real program with each kind of tune as its Start.mid, on SDL's dummy
# drivers: one the synthesiser refuses closes the game at once with its reason
# (status 1); one it plays keeps the game running until SIGTERM, which ends it
# within a second (status 0). Neither ever needs SIGKILL.
# Usage: BadTunes.sh <path of Torvane> <folder of plays-*.mid and refused-*.mid>
set -uo pipefail
program=$1
kinds=$2
folder=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$folder"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
failed=0

refused() {
    local said status
    said=$(cd "$folder" && timeout -k 2 10 "$program" 2>&1 >/dev/null)
    status=$?
    if [ "$status" -ne 1 ] || [[ "$said" != "Torvane: music: cannot load the tune $folder/Start.mid"* ]]; then
        echo "$1: status $status, said: $said (expected status 1 and the tune named)"
        failed=1
    fi
}

played() {
    local pid status began took
    (cd "$folder" && exec timeout -k 2 10 "$program" >/dev/null 2>"$folder/said") &
    pid=$!
    sleep 1
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        echo "$1: ended by itself with status $?, said: $(cat "$folder/said")"
        failed=1
        return
    fi
    began=$(date +%s%N)
    pkill -TERM -P "$pid"  # the game itself, under timeout
    wait "$pid"
    status=$?
    took=$((($(date +%s%N) - began) / 1000000))
    if [ "$status" -ne 0 ] || [ "$took" -gt 1000 ]; then
        echo "$1: status $status $took ms after SIGTERM, said: $(cat "$folder/said") (expected status 0 within 1000 ms)"
        failed=1
    fi
}

count=0
for tune in "$kinds"/*.mid; do
    name=$(basename "$tune" .mid)
    cp "$tune" "$folder/Start.mid"
    case $name in
    plays-*) played "$name" ;;
    *) refused "$name" ;;
    esac
    count=$((count + 1))
done
[ "$count" -ge 30 ] || { echo "only $count kinds of tune in $kinds"; failed=1; }
exit $failed
