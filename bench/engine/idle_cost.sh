#!/usr/bin/env bash
# Idle cost of qRun on its desktop backend under Xvfb: a 640x480 window that
# shows three lines of text and waits for a key. Reports the time from the
# process start to the mapped window, resident memory and threads 3 s after
# the window appears, then CPU use and wakeups over 10 s of waiting
# (/proc/<pid>/stat and /proc/<pid>/task/*/status).
# Usage: bench/engine/idle_cost.sh [path/to/qRun [FONTS_FOLDER]]   (default build/release/bin/qRun)
# FONTS_FOLDER is copied beside qRun as fonts/ (the player build has no
# fontconfig: build/player/bin/qRun with a packaged game's fonts/).
# QT_IDLE_SCREEN=3840x2160 sets the display's size (default 1280x1024);
# QT_IDLE_FULLSCREEN=1 waits in fullscreen (under openbox, which it needs).
set -euo pipefail
cd "$(dirname "$0")/../.."
qrun=${1:-build/release/bin/qRun}
fonts=${2:-}
[ -x "$qrun" ] || { echo "idle_cost: no qRun at $qrun (build the release preset first)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "idle_cost: Xvfb is not installed" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
qrun_pid=""
cleanup() {
  if [ -n "$qrun_pid" ]; then kill "$qrun_pid" 2>/dev/null || true; wait "$qrun_pid" 2>/dev/null || true; fi
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$qrun" "$work/qRun"
if [ -n "$fonts" ]; then cp -r "$fonts" "$work/fonts"; fi
screen=${QT_IDLE_SCREEN:-1280x1024}
fullscreen=${QT_IDLE_FULLSCREEN:-0}
printf '[screen]\r\nfullscreen=%s\r\n[main]\r\nFirstScenario=play.dat\r\ntitle=idle\r\n[honbun]\r\nlineSpeed=0\r\n' \
  "$fullscreen" > "$work/qRun.ini"
{
  printf '\x82\xa9\r\n'
  printf '吾輩は猫である。名前はまだ無い。\r\nどこで生れたかとんと見当がつかぬ。\r\n何でも薄暗いじめじめした所で泣いていた。\r\n' | iconv -f UTF-8 -t CP932
  printf '/@,;\r\n'
} > "$work/play.dat"

# Xvfb picks a free display and tells us its number. Without -noreset it
# resets whenever its last client leaves, and a connection made meanwhile fails.
exec 3< <(Xvfb -displayfd 1 -screen 0 "${screen}x24" -nolisten tcp -noreset 2>/dev/null & echo "pid $!")
read -r line <&3; xvfb_pid=${line#pid }
read -r display <&3
export DISPLAY=":$display"
wm_pid=""
if [ "$fullscreen" = 1 ]; then
  command -v openbox >/dev/null || { echo "idle_cost: fullscreen needs openbox" >&2; exit 1; }
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1
fi
echo "display ${screen}, fullscreen=${fullscreen}"

now_ms() { date +%s%3N; }

# Runs of the start-up alone (the window is closed at once), then the one
# that is measured while it waits. The X server's map event gives the time;
# without the helper, polling with xdotool adds a few ms a try.
map_time="$(cd "$(dirname "$qrun")" && pwd)/qrun_map_time"
[ -x "$map_time" ] || map_time=$(pwd)/build/release/bin/qrun_map_time
runs=${QT_MAP_RUNS:-5}
if [ -x "$map_time" ]; then
  times=()
  for _ in $(seq 1 "$runs"); do
    read -r ms pid < <(cd "$work" && "$map_time" ./qRun)
    kill "$pid" 2>/dev/null || true
    times+=("$ms")
    sleep 0.2
  done
  read -r ms qrun_pid < <(cd "$work" && "$map_time" ./qRun)
  times+=("$ms")
  printf '%s\n' "${times[@]}" | sort -n | awk '{v[NR] = $1} END {
    printf "window mapped after: median %.1f ms, min %.1f, max %.1f over %d runs (X server map event)\n",
      (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[1], v[NR], NR }'
else
  start=$(now_ms)
  (cd "$work" && exec ./qRun) &
  qrun_pid=$!
  mapped=""
  for _ in $(seq 1 2000); do
    if xdotool search --onlyvisible --name '^idle$' >/dev/null 2>&1; then mapped=$(now_ms); break; fi
  done
  [ -n "$mapped" ] || { echo "idle_cost: the window did not appear" >&2; exit 1; }
  echo "window mapped after: $((mapped - start)) ms (polling granularity a few ms)"
fi

sleep 3
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$qrun_pid/status")
threads=$(awk '/^Threads/ {print $2}' "/proc/$qrun_pid/status")
echo "resident memory 3 s after the window: $((rss / 1024)) MiB ($rss KiB), threads: $threads"

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$qrun_pid/stat"; }
switches() { cat /proc/"$qrun_pid"/task/*/status | awk '/voluntary_ctxt_switches/ {s += $2} END {print s}'; }
cpu0=$(cpu); sw0=$(switches); t0=$(now_ms)
sleep 10
cpu1=$(cpu); sw1=$(switches); t1=$(now_ms)
elapsed=$((t1 - t0))
awk -v c="$((cpu1 - cpu0))" -v hz="$ticks" -v ms="$elapsed" \
  'BEGIN { printf "CPU while waiting: %.2f %% of one core\n", 100 * c / hz / (ms / 1000) }'
awk -v s="$((sw1 - sw0))" -v ms="$elapsed" \
  'BEGIN { printf "wakeups while waiting: %.1f a second (context switches of all threads)\n", s / (ms / 1000) }'
