#!/bin/sh
# Times the picture store against outside tools on the same 24-megapixel
# photograph, in one run:
#   - adding the photograph (decode, reduce to 2410 x 1607, encode JPEG q90)
#     against vipsthumbnail and ImageMagick's convert -resize producing the
#     same size from the same file;
#   - the 192-pixel preview of the stored (reduced) picture against the same
#     tools making a 192-pixel preview of it.
#
# Usage: bench/picturestore-compare.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a Release build with bench_picturestore (default build-rel)
#   RUNS       runs of each outside tool; the best counts (default 5)
#
# Everything runs under nice; all tools use their default threading. The
# outside tools are timed as whole processes (start-up and file output
# included), the store in-process.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build-rel}
runs=${2:-5}
bench=$build/bench/bench_picturestore
[ -x "$bench" ] || { echo "no $bench (configure a Release build with LUMARBO_BENCH=ON)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photo=$work/photo24mp.jpg
stored=$work/stored.jpg

# ImageMagick's own binary, not a wrapper that may stand in front of it.
magick=$(command -v convert-im6.q16 2>/dev/null || true)
[ -n "$magick" ] || { [ -x /usr/bin/convert ] && magick=/usr/bin/convert; } || magick=$(command -v convert 2>/dev/null || true)
vips=$(command -v vipsthumbnail 2>/dev/null || true)

nice "$bench" --make-picture="$photo"
echo "photograph: $(du -k "$photo" | cut -f1) KiB, 6000 x 4000"

PICTURESTORE_FILE=$photo PICTURESTORE_STORED_OUT=$stored nice "$bench" \
    --benchmark_format=json --benchmark_out="$work/store.json" --benchmark_out_format=json >/dev/null

# Best wall time in milliseconds of RUNS runs of a command.
best_ms() {
    best=""
    i=0
    while [ "$i" -lt "$runs" ]; do
        start=$(date +%s%N)
        nice "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        ms=$(( (end - start) / 1000000 ))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
        i=$((i + 1))
    done
    echo "$best"
}

tools=$work/tools.txt
: >"$tools"
# What a whole process costs before any real work: the same command on a
# tiny picture. The net ratios take it out.
tiny=$work/tiny.jpg
[ -n "$magick" ] && nice "$magick" -size 8x8 xc:gray "$tiny"
if [ -n "$vips" ] && [ -f "$tiny" ]; then
    echo "vips_start $(best_ms "$vips" "$tiny" --size 4 -o "$work/t.jpg")" >>"$tools"
fi
if [ -n "$magick" ]; then
    echo "magick_start $(best_ms "$magick" "$tiny" -resize 4x4 "$work/t2.jpg")" >>"$tools"
fi
if [ -n "$vips" ]; then
    echo "vips_add $(best_ms "$vips" "$photo" --size '2410x1607!' -o "$work/v.jpg[Q=90]")" >>"$tools"
    echo "vips_preview $(best_ms "$vips" "$stored" --size 192 -o "$work/vp.png")" >>"$tools"
fi
if [ -n "$magick" ]; then
    echo "magick_add $(best_ms "$magick" "$photo" -resize '2410x1607!' -quality 90 "$work/m.jpg")" >>"$tools"
    echo "magick_preview $(best_ms "$magick" "$stored" -resize 192x192 "$work/mp.png")" >>"$tools"
fi

python3 - "$work/store.json" "$tools" <<'EOF'
import json, sys
store = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
def ms(name):
    b = store[name]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["real_time"] * scale
tools = dict((l.split()[0], float(l.split()[1])) for l in open(sys.argv[2]) if l.strip())
add = ms("BM_AddFile24MP")
prev_bitmap = ms("BM_Preview192FromBitmap")
prev_bytes = ms("BM_Preview192FromBytes")
print(f"store: add {add:.1f} ms, decode stored {ms('BM_DecodeStored'):.1f} ms, "
      f"preview from bitmap {prev_bitmap:.1f} ms, preview from bytes {prev_bytes:.1f} ms")
print("outside tools (whole process, best of runs):")
for key, label, ours in [("vips_add", "vipsthumbnail add", add), ("magick_add", "convert -resize add", add),
                         ("vips_preview", "vipsthumbnail preview", prev_bytes),
                         ("magick_preview", "convert preview", prev_bytes)]:
    if key not in tools:
        print(f"  {label:24s} not installed")
        continue
    start = tools.get(key.split("_")[0] + "_start", 0.0)
    net = max(tools[key] - start, 1.0)
    print(f"  {label:24s} {tools[key]:8.1f} ms (start-up {start:.0f} ms)   "
          f"store / tool = {ours / tools[key]:.2f}, net of start-up {ours / net:.2f}")
EOF
