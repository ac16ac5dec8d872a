// Keeps the files the game writes in its directory (the saved game) in the browser's storage,
// so that they outlast a reload and a browser restart. Each file is stored whole in one step
// or not at all; the game's loop calls keepFiles after every round of events, and the page
// calls it once more when it is left.
(function () {
  var dir = "/vornu";
  var prefix = "vornu:" + dir + "/";
  var known = {};  // name -> "mtime size" of what was stored last
  var warned = false;

  function storage() {
    try {
      return window.localStorage;
    } catch (e) {
      return null;
    }
  }

  function toText(bytes) {
    var parts = [];
    for (var i = 0; i < bytes.length; i += 8192) {
      parts.push(String.fromCharCode.apply(null, bytes.subarray(i, i + 8192)));
    }
    return parts.join("");
  }

  function toBytes(text) {
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
    return bytes;
  }

  Module["preRun"] = Module["preRun"] || [];
  Module["preRun"].push(function () {
    FS.mkdirTree(dir);
    FS.chdir(dir);
    var s = storage();
    if (!s || Module["keepNoFiles"]) return;
    for (var i = 0; i < s.length; ++i) {
      var key = s.key(i);
      if (key.indexOf(prefix) !== 0) continue;
      var name = key.substring(prefix.length);
      FS.writeFile(dir + "/" + name, toBytes(s.getItem(key)));
      var st = FS.stat(dir + "/" + name);
      known[name] = st.mtime.getTime() + " " + st.size;
    }
  });

  Module["keepFiles"] = function () {
    var s = storage();
    if (!s || Module["keepNoFiles"]) return;
    var seen = {};
    FS.readdir(dir).forEach(function (name) {
      if (name === "." || name === "..") return;
      var st = FS.stat(dir + "/" + name);
      if (!FS.isFile(st.mode)) return;
      seen[name] = true;
      var stamp = st.mtime.getTime() + " " + st.size;
      if (known[name] === stamp) return;
      try {
        s.setItem(prefix + name, toText(FS.readFile(dir + "/" + name)));
        known[name] = stamp;
      } catch (e) {
        if (!warned) console.warn("vornu: cannot keep " + name + " in the browser: " + e);
        warned = true;
      }
    });
    Object.keys(known).forEach(function (name) {
      if (seen[name]) return;
      s.removeItem(prefix + name);
      delete known[name];
    });
  };

  window.addEventListener("pagehide", function () {
    if (Module["calledRun"]) Module["keepFiles"]();
  });
})();
