#!/bin/sh
# Starting inputs for the fuzz targets: DV and AVI files made by ffmpeg, the
# rest by the system's own writers (fuzz_make_seeds).
#   make_seeds.sh <fuzz_make_seeds> <seed folder>
set -eu
tool=$1
out=$2
rm -rf "$out"
mkdir -p "$out/dv" "$out/avi"
# The writers keep their settings and registry in a private home.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
src="color=c=black:s=720x576:r=25,drawbox=x=0:y=0:w=iw:h=ih/2:color=white:t=fill"
ffmpeg -v error -y -f lavfi -i "$src" -frames:v 2 -target pal-dv "$out/dv/pal.dv"
ffmpeg -v error -y -f lavfi -i "testsrc=s=720x480:r=30000/1001" -frames:v 1 -target ntsc-dv "$out/dv/ntsc.dv"
ffmpeg -v error -y -f lavfi -i "color=c=black:s=64x48:r=25" -frames:v 2 -c:v mjpeg "$out/avi/mjpeg.avi"
ffmpeg -v error -y -f lavfi -i "color=c=black:s=32x24:r=25" -frames:v 2 -c:v rawvideo -pix_fmt bgr24 "$out/avi/bgr24.avi"
ffmpeg -v error -y -f lavfi -i "$src" -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 0.08 \
    -c:v dvvideo -pix_fmt yuv420p -c:a pcm_s16le -ac 2 "$out/avi/dvpcm.avi"
"$tool" "$out" "$out/dv/pal.dv"
rm -f "$out"/registry/*.lock "$out"/registry/*.txt.??????
