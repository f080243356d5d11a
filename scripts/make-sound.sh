#!/usr/bin/env bash
# Makes the default signal sound resources/Elvorbeep.wav: a short, soft
# two-tone beep (A5 then E6, about 150 ms), 16-bit mono PCM at 22050 Hz, each
# tone faded in and out so that it does not click.
#
# The file is committed; the build only copies it. Run this script after
# changing the sound. It needs Debian's sox (apt-get install sox).
#   scripts/make-sound.sh [OUTPUT]     default: resources/Elvorbeep.wav
set -euo pipefail

out=${1:-$(cd "$(dirname "$0")/.." && pwd)/resources/Elvorbeep.wav}
command -v sox >/dev/null || { echo "make-sound.sh: sox is missing (apt-get install sox)" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# -D: no dither, so that the same script always makes the same bytes.
format=(-D -r 22050 -c 1 -b 16 -e signed-integer)
# Each tone: a sine with a quieter octave above it (4:1), which makes it
# rounder than a bare sine; fade in 8 ms, fade out 25 or 35 ms (quarter sine).
tone() { # OUTPUT SECONDS HZ OCTAVE_HZ FADE_OUT
  sox -V1 -n -D -r 22050 -c 2 -b 16 "$tmp/two.wav" synth "$2" sine "$3" sine "$4"
  sox -V1 "$tmp/two.wav" "${format[@]}" "$1" remix 1v0.8,2v0.2 fade q 0.008 "$2" "$5"
}
tone "$tmp/low.wav" 0.070 880 1760 0.025
tone "$tmp/high.wav" 0.080 1318.51 2637.02 0.035
sox -V1 "$tmp/low.wav" "$tmp/high.wav" "${format[@]}" "$out" gain -n -4
soxi "$out" 2>/dev/null | sed -n 's/^\(Sample Rate\|Channels\|Precision\|Duration\|Sample Encoding\)/  &/p'
echo "wrote $out"
