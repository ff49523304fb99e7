#!/usr/bin/env bash
# Benchmark: listing and export at 10,000, 100,000 and 1,000,000 entries, side by side with the
# floor of the algorithm (two counting FindFirstFileA passes), Wine's own `dir /b`, and `ls -f`.
#   bench/run.sh [sizes...]        default: 10000 100000 1000000
# Fixtures live on a tmpfs at $TESSALO_BENCH_DIR (default /tmp/tessalo-bench) and are kept, each
# alone in a folder of its own: the chooser looks into the siblings of the folder it shows, and a
# large sibling would weigh on the measured program.
# Results: build/bench-results/results.csv, summary.md and chart.png.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh
need=()
command -v python3 >/dev/null || need+=(python3)
command -v gnuplot >/dev/null || need+=(gnuplot-nox)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
cmake --build --preset linux-mingw -j2 --target tessalo_bench >/dev/null

sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)
fixtures=${TESSALO_BENCH_DIR:-/tmp/tessalo-bench}
out=$root/build/bench-results
mkdir -p "$fixtures" "$out"
# A tmpfs keeps the disk out of the figures; where none can be mounted, a plain folder serves.
if ! mountpoint -q "$fixtures"; then
  mount -t tmpfs -o size=4g,nr_inodes=4m tmpfs "$fixtures" 2>/dev/null || echo "bench: no tmpfs, fixtures on disk" >&2
fi

# Another prefix may be given, so that a benchmark can run beside the tests.
export WINEPREFIX=${TESSALO_BENCH_PREFIX:-$root/build/wineprefix}
work=$(mktemp -d)
xvfb_pid='' idle_pid=''
cleanup() {
  set +e
  [ -n "$idle_pid" ] && kill "$idle_pid" 2>/dev/null
  wineserver -k 2>/dev/null; timeout 10 wineserver -w 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# The program's window is shown, as for a user: a virtual display of our own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do grep -q '^[0-9]' "$work/display" 2>/dev/null && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
wineserver -k 2>/dev/null || true; timeout 10 wineserver -w 2>/dev/null || true
wineserver -p
scripts/wine-exec build/bin/wine_idle.exe >/dev/null 2>&1 &
idle_pid=$!

csv=$out/results.csv
echo "entries,contender,run,seconds,export_folders,export_files,file_list_bytes,folder_list_bytes,peak_mb" >"$csv"

winpath() { printf 'Z:%s' "${1//\//\\}"; }

measure() {  # size contender run
  local size=$1 contender=$2 run=$3 folder=$fixtures/$size/entries line
  case $contender in
    tessalo) line=$(scripts/wine-exec build/bin/tessalo_bench.exe tessalo "$(winpath "$folder")" 2>/dev/null) ;;
    floor) line=$(scripts/wine-exec build/bin/tessalo_bench.exe floor "$(winpath "$folder")" 2>/dev/null) ;;
    dir)
      # Files and sub-folders, as the program lists them: two runs of dir, times added.
      local a b
      a=$(scripts/wine-exec build/bin/tessalo_bench.exe dir "$(winpath "$folder")" a-d 2>/dev/null)
      b=$(scripts/wine-exec build/bin/tessalo_bench.exe dir "$(winpath "$folder")" ad 2>/dev/null)
      line="seconds=$(python3 -c "import sys; print(float(sys.argv[1]) + float(sys.argv[2]))" \
        "$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$a")" "$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$b")")" ;;
    ls)
      local s e
      s=$(date +%s.%N); ls -f "$folder" >/dev/null; e=$(date +%s.%N)
      line="seconds=$(python3 -c "print($e - $s)")" ;;
  esac
  if [[ $line != *seconds=* ]]; then
    echo "bench: $contender at $size failed: $line" >&2
    return 1
  fi
  get() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$line"; }
  echo "$size,$contender,$run,$(get seconds),$(get export_folders),$(get export_files),$(get file_list_bytes),$(get folder_list_bytes),$(get peak_mb)" >>"$csv"
  printf 'bench: %8s %-8s run %s: %ss\n' "$size" "$contender" "$run" "$(get seconds)" >&2
}

for size in "${sizes[@]}"; do
  echo "bench: fixture of $size entries" >&2
  python3 bench/make_fixture.py "$size" "$fixtures/$size/entries"
  contenders=(tessalo floor ls)
  # Wine's dir is itself superlinear: at 1,000,000 entries it runs for many minutes.
  [ "$size" -le 100000 ] && contenders+=(dir)
  runs=5
  [ "$size" -ge 1000000 ] && runs=3
  # A warm-up run of each (run 0, left out of the summary). Wine's dir at 100,000 entries takes
  # minutes a run and is warm from the smaller size: it is not warmed again.
  for contender in "${contenders[@]}"; do
    [ "$contender" = dir ] && [ "$size" -ge 100000 ] && continue
    measure "$size" "$contender" 0 >/dev/null 2>&1 || true
  done
  # Alternating, run by run, so that a drift of the machine touches every contender alike.
  for run in $(seq "$runs"); do
    for contender in "${contenders[@]}"; do
      [ "$contender" = dir ] && [ "$size" -ge 100000 ] && [ "$run" -gt 3 ] && continue
      measure "$size" "$contender" "$run"
    done
  done
done

python3 bench/summarize.py "$csv" "$out"
