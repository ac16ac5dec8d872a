#!/bin/bash
# Fails when a symbol is defined (strongly) in more than one object file of the project's
# libraries: a program that links both gets one of them silently, whichever the linker meets
# first, and the other library's callers then run code they were not built against.
# Arguments: NAME=FILE[:FILE...], one per library (FILE an archive or an object file).
set -u
if [ $# -eq 0 ]; then
  echo "usage: $0 NAME=FILE[:FILE...]..." >&2
  exit 2
fi
listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
for arg in "$@"; do
  lib=${arg%%=*}
  IFS=: read -r -a files <<<"${arg#*=}"
  for file in "${files[@]}"; do
    if [ ! -r "$file" ]; then
      echo "$lib: cannot read $file" >&2
      exit 2
    fi
    # Text, data, read-only data and bss of global symbols; weak and unique definitions
    # (inline functions, templates, inline variables) may repeat by design.
    if ! nm --defined-only --extern-only -A "$file" >"$listing.one" 2>"$listing.err"; then
      echo "$lib: nm cannot read $file: $(cat "$listing.err")" >&2
      rm -f "$listing.one" "$listing.err"
      exit 2
    fi
    awk -v lib="$lib" 'NF >= 3 && $(NF-1) ~ /^[TDRBGS]$/ {
        where = $1; sub(/:[^:]*$/, "", where); n = split(where, p, "/");
        print $NF "\t" lib ":" p[n] }' "$listing.one" >>"$listing"
    rm -f "$listing.one" "$listing.err"
  done
done
dups=$(sort -u "$listing" | awk -F'\t' '{ n[$1]++; w[$1] = w[$1] "  " $2 "\n" }
  END { for (s in n) if (n[s] > 1) printf "%s\n%s", s, w[s] }')
if [ -n "$dups" ]; then
  echo "symbols defined more than once in the project's libraries:"
  while IFS= read -r line; do
    case "$line" in
      "  "*) echo "$line" ;;
      *) echo "$line ($(echo "$line" | c++filt))" ;;
    esac
  done <<<"$dups"
  exit 1
fi
echo "$(sort -u "$listing" | wc -l) definitions in $# libraries, none twice"
