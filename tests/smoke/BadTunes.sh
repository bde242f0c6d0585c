#!/usr/bin/env bash
# The real program with a broken or unusual Start.mid beside it, on SDL's dummy
# drivers: a tune the synthesiser cannot play closes the game with its reason
# (status 1); one it plays keeps the game running until SIGTERM, which ends it
# within a second (status 0). Neither ever needs SIGKILL.
# Usage: BadTunes.sh <path of Torvane>
set -uo pipefail
program=$1
folder=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$folder"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
failed=0

# bytes <hex...> : the bytes themselves.
bytes() { local b; for b in "$@"; do printf "\\x$b"; done; }
# tune <division hex hi lo> <track body hex...> : a format 1 file of one track.
tune() {
    local hi=$1 lo=$2
    shift 2
    bytes 4d 54 68 64 00 00 00 06 00 01 00 01 "$hi" "$lo" 4d 54 72 6b 00 00 00 "$(printf %02x $#)"
    bytes "$@"
}
note=(00 90 3c 40 60 80 3c 00)
end=(00 ff 2f 00)

# refused <what> : Start.mid holds the tune; the game must close at once with the reason.
refused() {
    local said status
    said=$(cd "$folder" && timeout -k 2 10 "$program" 2>&1 >/dev/null)
    status=$?
    if [ "$status" -ne 1 ] || [[ "$said" != "Torvane: music: cannot load the tune $folder/Start.mid"* ]]; then
        echo "$1: status $status, said: $said (expected status 1 and the tune named)"
        failed=1
    fi
}

# played <what> : the game must still run after two seconds and end within one of SIGTERM.
played() {
    local pid status began took
    (cd "$folder" && exec timeout -k 2 10 "$program" >/dev/null 2>"$folder/said") &
    pid=$!
    sleep 2
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

tune 00 60 00 ff 51 04 07 a1 20 00 "${note[@]}" "${end[@]}" >"$folder/Start.mid"
refused "a tempo of 4 bytes"
{ bytes 4d 54 68 64 00 00 00 07 00 01 00 01 00 60 00; tune 00 60 "${note[@]}" "${end[@]}" | tail -c +15; } >"$folder/Start.mid"
refused "a header of 7 bytes"
tune e7 28 "${note[@]}" "${end[@]}" >"$folder/Start.mid"
refused "SMPTE timing"
{ bytes 4d 54 68 64 00 00 00 06 00 01 00 01 00 60 58 46 49 48 00 00 00 00; tune 00 60 "${note[@]}" "${end[@]}" | tail -c +15; } >"$folder/Start.mid"
refused "another chunk before the first track"
tune 00 60 00 ff 54 04 00 00 00 00 "${note[@]}" "${end[@]}" >"$folder/Start.mid"
refused "an SMPTE offset of 4 bytes"
tune 00 60 00 ff 58 03 04 02 18 "${note[@]}" "${end[@]}" >"$folder/Start.mid"
refused "a time signature of 3 bytes"
tune 00 60 00 ff 59 03 00 00 00 "${note[@]}" "${end[@]}" >"$folder/Start.mid"
refused "a key signature of 3 bytes"
tune 00 60 "${note[@]}" 00 ff 2f 01 00 >"$folder/Start.mid"
refused "an end of track of 1 byte"
tune 00 60 00 f7 01 00 "${note[@]}" "${end[@]}" >"$folder/Start.mid"
refused "an F7 system exclusive"
tune 00 60 00 90 3c 40 00 80 3c 00 "${end[@]}" >"$folder/Start.mid"
refused "notes only at tick 0"

tune 00 60 "${note[@]}" >"$folder/Start.mid"
played "no end of track"
tune 00 60 00 90 3c 40 00 ff 01 00 60 3c 00 "${end[@]}" >"$folder/Start.mid"
played "running status over a meta event"
tune 00 60 "${note[@]}" "${end[@]}" >"$folder/Start.mid"
played "a plain tune"
exit $failed
