#!/bin/bash
# check-template.sh DATABUILD SOURCE_DIR SCRATCH: the committed po/vornu.pot is what the sources
# give today.
set -u
databuild=$1 src=$2 scratch=$3
mkdir -p "$scratch"
"$databuild" --template "$src/assets" "$scratch/vornu.pot" >/dev/null || exit 1
if ! cmp -s "$scratch/vornu.pot" "$src/po/vornu.pot"; then
  diff -u "$src/po/vornu.pot" "$scratch/vornu.pot" | head -40
  echo "po/vornu.pot is stale: the sources' texts changed. Run make pot and commit po/vornu.pot"
  echo "(then msgmerge --update po/CODE.po po/vornu.pot for each language)."
  exit 1
fi
echo "po/vornu.pot matches the sources"
