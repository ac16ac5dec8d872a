#!/bin/bash
# check-template.sh DATABUILD SOURCE_DIR SCRATCH: the committed po/vornu.pot is what the sources
# give today.
set -u
databuild=$1 src=$2 scratch=$3
mkdir -p "$scratch"
"$databuild" --template "$src/assets" "$scratch/vornu.pot" >/dev/null || exit 1
# Where a text stands ("#:" lines) moves with every edit of the code around it; only what
# translators translate and are told about makes the template stale.
texts() { grep -v '^#:' "$1"; }
if ! cmp -s <(texts "$scratch/vornu.pot") <(texts "$src/po/vornu.pot"); then
  diff -u <(texts "$src/po/vornu.pot") <(texts "$scratch/vornu.pot") | head -40
  echo "po/vornu.pot is stale: the sources' texts changed. Run make pot and commit po/vornu.pot"
  echo "(then msgmerge --update po/CODE.po po/vornu.pot for each language)."
  exit 1
fi
echo "po/vornu.pot matches the sources"
