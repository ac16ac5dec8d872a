#!/bin/bash
# Compares each song as the browser plays it (the site's OGG file) with the desktop's rendering
# of its MIDI file: the level of each frequency band in dB, the desktop's mixed to mono, and
# the level of what differs. Bands within a decibel sound alike; a song re-encoded for a
# smaller site should keep them so.
#   web/compare-songs.sh SOUNDFONT SITE_MUSIC_DIR song.mid...
set -euo pipefail
font=$1 site=$2; shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
level() { sox "$1" -n $2 stats 2>&1 | awk '/RMS lev dB/ { print $4 }'; }
bands="0-250 250-1000 1000-4000 4000-8000 8000-11000 11000-16000"
for mid in "$@"; do
  name=$(basename "$mid" .mid)
  fluidsynth -q -n -i -g 1.2 -r 44100 -F "$tmp/desk.wav" "$font" "$mid" >/dev/null
  sox "$tmp/desk.wav" "$tmp/desktop.wav" remix 1v0.5,2v0.5
  oggdec -Q -o "$tmp/site.wav" "$site/$name.ogg"
  sox -m "$tmp/desktop.wav" -v -1 "$tmp/site.wav" "$tmp/diff.wav"
  echo "$name ($(stat -c %s "$site/$name.ogg") bytes): band  desktop  browser"
  for band in $bands; do
    lo=${band%-*} hi=${band#*-}
    if [ "$lo" = 0 ]; then filter="sinc -$hi"; else filter="sinc $lo-$hi"; fi
    printf "  %11s Hz  %7s  %7s\n" "$band" "$(level "$tmp/desktop.wav" "$filter")" \
      "$(level "$tmp/site.wav" "$filter")"
  done
  echo "  all: $(level "$tmp/desktop.wav" "") dB, what differs: $(level "$tmp/diff.wav" "") dB"
done
