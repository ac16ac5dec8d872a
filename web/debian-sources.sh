#!/bin/bash
# Unpacks the Debian source packages named on the command line into DEST, from the same
# archive the machine installs its packages from. The deb-src entries, apt's lists and its
# downloads live in a private state folder below DEST: the machine's apt set-up is not changed.
#   web/debian-sources.sh DEST package...
set -euo pipefail
dest=$1; shift
state=$dest/apt
mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/sources.list.d"
: > "$state/sources.list"
# The machine's own entries, turned into source entries (deb822 and one-line forms).
for f in /etc/apt/sources.list.d/*.sources; do
  [ -e "$f" ] || continue
  sed -e 's/^Types:.*/Types: deb-src/' "$f" > "$state/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -e "$f" ] || continue
  sed -n -e 's/^deb \(.*\)/deb-src \1/p' "$f" >> "$state/sources.list"
done
apt_opts=(-o "Dir::Etc::SourceList=$state/sources.list" -o "Dir::Etc::SourceParts=$state/sources.list.d"
  -o "Dir::State=$state" -o "Dir::State::Lists=$state/lists" -o "Dir::Cache=$state/cache"
  -o "Dir::State::status=/var/lib/dpkg/status" -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
apt-get "${apt_opts[@]}" -qq update
cd "$dest"
for p in "$@"; do
  apt-get "${apt_opts[@]}" -qq source --download-only "$p"
done
for dsc in *.dsc; do
  dpkg-source --no-check -x "$dsc" >/dev/null
done
