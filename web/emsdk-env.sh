# Sourced by the web build's scripts: Debian's emscripten with a writable cache of its own
# below the build folder (the packaged cache is frozen) and Debian's JavaScript modules
# (acorn) found also by a Node.js from outside Debian.
#   . web/emsdk-env.sh BUILD_WEB_DIR
web_dir=$(realpath -m "$1")
mkdir -p "$web_dir"
if [ ! -e "$web_dir/emcache/sysroot_install.stamp" ]; then
  rm -rf "$web_dir/emcache"
  mkdir -p "$web_dir/emcache"
  # A tree of links: the packaged libraries are used as they are, new ones are added beside.
  cp -rs /usr/share/emscripten/cache/. "$web_dir/emcache/"
  rm -f "$web_dir/emcache/cache.lock"
fi
sed -e "s|^FROZEN_CACHE.*|FROZEN_CACHE = False|" /usr/share/emscripten/.emscripten > "$web_dir/emscripten.config"
printf "\nCACHE = '$web_dir/emcache'" >> "$web_dir/emscripten.config"
export EM_CONFIG=$web_dir/emscripten.config
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
