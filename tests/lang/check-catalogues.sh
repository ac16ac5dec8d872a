#!/bin/bash
# check-catalogues.sh SOURCE_DIR: every po/CODE.po is valid, translates every message of the
# template and marks none fuzzy.
set -u
src=$1
status=0
shopt -s nullglob
catalogues=("$src"/po/*.po)
[ ${#catalogues[@]} -gt 0 ] || { echo "no catalogue in $src/po"; exit 1; }
for po in "${catalogues[@]}"; do
  name=po/$(basename "$po")
  if ! stats=$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$po" 2>&1); then
    echo "$stats"; echo "$name: msgfmt --check fails"; status=1; continue
  fi
  stats=${stats##*$'\n'}  # the figures; header warnings above them are no failure
  case $stats in
    *untranslated* | *fuzzy*) echo "$name: $stats: translate every message, leave none fuzzy"; status=1 ;;
  esac
  if ! missing=$(LC_ALL=C msgcmp --no-fuzzy-matching --use-untranslated "$po" "$src/po/vornu.pot" 2>&1); then
    # msgcmp names the template's line; the message there is what the translator looks for.
    echo "$missing" | sed -n 's/^.*vornu\.pot:\([0-9]*\): this message is used but not defined.*/\1/p' |
      head -20 | while read -r n; do
        echo "$name lacks: $(sed -n "$((n - 2)),$((n - 1))p" "$src/po/vornu.pot" | tr '\n' ' ')"
      done
    echo "$name: lacks messages of po/vornu.pot: msgmerge --update $name po/vornu.pot, translate"
    status=1
  fi
  [ $status = 0 ] && echo "$name: $stats"
done
exit $status
