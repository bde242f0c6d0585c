#!/usr/bin/env bash
# The fight's processor share, memory and present time of two builds side by
# side, under a virtual X server with software GL, alternating so both see the
# same machine: bench/fight_load.sh <bin folder> <bin folder> [seconds] [rounds]
# A disc image for CD music: VORNTAK_CD=<.cue> in the environment.
set -uo pipefail
seconds=${3:-20}
rounds=${4:-3}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
for round in $(seq "$rounds"); do
  for size in 1024x768 1920x1080; do
    musics=midi
    [[ -n ${VORNTAK_CD:-} ]] && musics="midi cd"
    for music in $musics; do
      for bin in "$1" "$2"; do
        line=$(cd "$bin" && xvfb-run -a -s "-screen 0 ${size}x24" env SDL_VIDEODRIVER=x11 ./fight_load "$seconds" "$music" 2>/dev/null)
        echo "round $round $size $bin: $line"
      done
    done
  done
done
for bin in "$1" "$2"; do
  echo "present, $bin:"
  (cd "$bin" && xvfb-run -a -s "-screen 0 1920x1080x24" env SDL_VIDEODRIVER=x11 ./present_bench \
     --benchmark_filter=BM_Show --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
     grep -E "median")
done
