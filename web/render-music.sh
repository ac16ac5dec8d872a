#!/bin/bash
# Renders each MIDI song of the game to an OGG file for the browser build, with the desktop's
# synthesiser and soundfont at the loudness the desktop's mixer plays them.
# Mono at quality 0 (about 40 kbit/s): the songs set no panning, and every band up to 16 kHz
# stays within a decibel of the desktop's rendering; quality -1 already blurs 8 to 14 kHz, and
# a lower sampling rate dulls the cymbals. A third of the stereo file's size.
#   web/render-music.sh SOUNDFONT OUT_DIR song.mid...
set -euo pipefail
font=$1 out=$2; shift 2
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for mid in "$@"; do
  name=$(basename "$mid" .mid)
  # The desktop's mixer sets the synthesiser's gain to 1.2 at full volume.
  fluidsynth -q -n -i -g 1.2 -r 44100 -F "$tmp/$name.wav" "$font" "$mid" >/dev/null
  oggenc -Q --downmix -q 0 -o "$out/$name.ogg" "$tmp/$name.wav"
done
