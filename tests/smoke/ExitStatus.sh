#!/usr/bin/env bash
# The real program on SDL's dummy drivers: a failure ends it with status 1 and
# one line on standard error naming what failed.
# Usage: ExitStatus.sh <path of Torvane>
set -uo pipefail
program=$1
folder=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$folder"' EXIT
export SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
failed=0

# expect <driver> <start of the line> : runs the program from the empty folder;
# with no driver named, where no display server answers.
expect() {
    local said status
    if [ -n "$1" ]; then
        said=$(cd "$folder" && SDL_VIDEODRIVER=$1 timeout 60 "$program" 2>&1 >/dev/null)
    else
        said=$(cd "$folder" && env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u DISPLAY \
            XDG_RUNTIME_DIR="$folder" timeout 60 "$program" 2>&1 >/dev/null)
    fi
    status=$?
    if [ "$status" -ne 1 ] || [ "$(printf '%s\n' "$said" | grep -c .)" -ne 1 ] || [[ "$said" != "$2"* ]]; then
        echo "with SDL_VIDEODRIVER=$1: status $status, said: $said (expected status 1 and one line: $2...)"
        failed=1
    fi
}
expect dummy "Torvane: music: cannot load the tune $folder/Start.mid"  # started away from its tunes
expect nosuchdriver "Torvane: display: "
expect "" "Torvane: display: "
exit $failed
