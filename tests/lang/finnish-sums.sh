#!/bin/bash
# finnish-sums.sh check|refresh GAME_DIR LIST: the Finnish files that carry text stay byte for
# byte what LIST (SHA-256 sums) says; `refresh` rewrites LIST from GAME_DIR.
set -u
mode=$1 dir=$2 list=$3
files="scenes/scene0.obj scenes/scene1.obj scenes/scene2.obj scenes/scene3.obj scenes/scene4.obj
  scenes/scene5.obj scenes/scene6.obj scenes/scene7.obj scenes/scene8.obj scenes/scene9.obj
  scenes/scene10.obj scenes/scene11.obj scenes/scene12.obj scenes/scene13.obj items/items.txt
  items/invent.bmp sprites/alkukuva.bmp sprites/varoitus.bmp sprites/intro.bmp
  sprites/theend.bmp sprites/krediit.bmp"
cd "$dir" || exit 1
if [ "$mode" = refresh ]; then
  sha256sum $files > "$list.part" && mv "$list.part" "$list" && echo "rewrote $list"
  exit
fi
if ! out=$(sha256sum --check "$list" 2>&1); then
  echo "$out" | grep -v ': OK$'
  echo "The Finnish data changed (the files above). If the change is meant, run make finnish-sums"
  echo "and commit $(basename "$list")."
  exit 1
fi
echo "the Finnish data is unchanged ($(wc -l < "$list") files)"
