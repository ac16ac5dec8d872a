// The page around the game: checks that the browser can run it, downloads the program and the
// game data (stored compressed, unpacked here, whatever the server does) with a progress bar,
// starts the game on the player's click (browsers allow sound only after one), fetches the
// songs after that, scales the canvas by whole steps, offers full screen, the saved game as a
// file and the inventory on touch screens, keeps the site for offline visits, and shows every
// failure as a message instead of a blank canvas.
(function () {
  "use strict";
  var script = document.currentScript;
  var program = script.getAttribute("data-program") || "vornu";
  var canvas = document.getElementById("canvas");
  var overlay = document.getElementById("overlay");
  var bar = document.querySelector("#bar > div");
  var message = document.getElementById("message");
  var startButton = document.getElementById("start");
  var fullButton = document.getElementById("fullscreen");
  var game = document.getElementById("game");
  var failed = false;
  var runtimeReady = false;  // the game's folder exists and holds the data
  var width = 320, height = 200;

  // What the page and its tests can see of the game's course.
  window.vornuPage = {state: "loading", error: null, exitStatus: null};

  function showError(title, text) {
    if (failed) return;
    failed = true;
    window.vornuPage.state = "failed";
    window.vornuPage.error = title + ": " + text;
    overlay.hidden = false;
    document.getElementById("bar").hidden = true;
    startButton.hidden = true;
    message.className = "error";
    message.textContent = title + "\n" + text;
    console.error("vornu: " + title + ": " + text);
  }

  // The largest whole scale that fits the window; the canvas keeps its 320 x 200 pixels.
  function fit() {
    var w = canvas.width || width, h = canvas.height || height;
    var scale = Math.max(1, Math.floor(Math.min(window.innerWidth / w, window.innerHeight / h)));
    canvas.style.width = w * scale + "px";
    canvas.style.height = h * scale + "px";
  }
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", fit);
  fit();

  function setFullScreen(on) {
    if (on && !document.fullscreenElement && game.requestFullscreen) {
      game.requestFullscreen().catch(function () {});
    } else if (!on && document.fullscreenElement) {
      document.exitFullscreen().catch(function () {});
    }
  }
  fullButton.addEventListener("click", function () {
    setFullScreen(!document.fullscreenElement);
    canvas.focus();
  });

  if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function") {
    showError("Vornu cannot start",
              "This browser has no WebAssembly. Open the page in a current Chrome, Firefox, " +
              "Safari or Edge.");
    return;
  }

  if (typeof DecompressionStream !== "function" || typeof Response !== "function") {
    showError("Vornu cannot start",
              "This browser cannot unpack the game's files. Open the page in a current Chrome, " +
              "Firefox, Safari or Edge.");
    return;
  }

  // Download progress of the program and of the data package, together, in bytes on the wire.
  var progress = {};
  function report(what, done, total) {
    progress[what] = {done: done, total: total};
    var d = 0, t = 0;
    Object.keys(progress).forEach(function (k) {
      d += progress[k].done;
      t += progress[k].total;
    });
    if (t > 0) bar.style.width = Math.min(100, (100 * d) / t).toFixed(1) + "%";
  }

  function fetchFile(file) {
    return fetch(file, {credentials: "same-origin"}).then(function (response) {
      if (!response.ok) throw new Error(file + ": " + response.status + " " + response.statusText);
      return response;
    });
  }

  // The file unpacked as it arrives, its compressed bytes counted for the progress bar.
  function fetchPacked(file) {
    return fetchFile(file).then(function (response) {
      var total = Number(response.headers.get("Content-Length")) || 0, got = 0;
      var counted = response.body.pipeThrough(new TransformStream({
        transform: function (chunk, out) {
          got += chunk.byteLength;
          if (total) report(file, got, total);
          out.enqueue(chunk);
        },
      }));
      return counted.pipeThrough(new DecompressionStream("gzip"));
    });
  }

  function named(file, e) {
    var text = (e && e.message) || String(e);
    return new Error(text.indexOf(file) === 0 ? text : file + ": " + text);
  }

  // Both downloads start at once; the program compiles while it arrives.
  var programFile = program + ".wasm";
  var programStream = fetchPacked(programFile);
  programStream.catch(function (e) {
    showError("Vornu cannot start",
              "The program could not be loaded (" + named(programFile, e).message + ").");
  });
  var dataBytes = fetchPacked("vornu.data").then(function (stream) {
    return new Response(stream).arrayBuffer();
  }).catch(function (e) {
    throw named("vornu.data", e);
  });

  function instantiateWasm(imports, done) {
    programStream
      .then(function (stream) {
        var response = new Response(stream, {headers: {"Content-Type": "application/wasm"}});
        if (WebAssembly.instantiateStreaming) return WebAssembly.instantiateStreaming(response, imports);
        return response.arrayBuffer().then(function (bytes) {
          return WebAssembly.instantiate(bytes, imports);
        });
      })
      .then(function (result) {
        done(result.instance, result.module);
      })
      .catch(function (e) {
        showError("Vornu cannot start",
                  "The program could not be loaded (" + named(programFile, e).message + ").");
      });
    return {};
  }

  var Module = (window.Module = {
    canvas: canvas,
    keepNoFiles: script.getAttribute("data-keep-no-files") === "1",
    instantiateWasm: instantiateWasm,
    // The data package, already fetched and unpacked by the page.
    getPreloadedPackage: function () {
      var bytes = Module.dataPackage;
      Module.dataPackage = null;
      return bytes;
    },
    // Songs the game must wait for: "coming" until the page has put them in the game's folder.
    lateSongs: {},
    print: function (text) {
      console.log(text);
    },
    printErr: function (text) {
      // The game's own lines (trace lines, the demo's progress) go to the console.
      console.log(text);
    },
    setStatus: function (text) {
      var m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text || "");
      if (m) report("data", Number(m[1]), Number(m[2]));
    },
    onRuntimeInitialized: function () {
      if (failed) return;
      runtimeReady = true;
      songsReady();
      bar.style.width = "100%";
      document.getElementById("bar").hidden = true;
      message.textContent = "";
      startButton.hidden = false;
      window.vornuPage.state = "ready";
    },
    onAbort: function (what) {
      showError("Vornu stopped", String(what));
    },
    onExit: function (status) {
      window.vornuPage.exitStatus = status;
      if (failed) return;
      window.vornuPage.state = "ended";
      overlay.hidden = false;
      startButton.hidden = true;
      message.className = "";
      message.textContent = status === 0 ? "Peli päättyi. (The game has ended.)"
                                         : "Vornu stopped (status " + status + ").";
    },
    showError: showError,
    notice: notice,
    setFullScreen: setFullScreen,
  });

  window.addEventListener("error", function (e) {
    showError("Vornu cannot start", (e.error && e.error.message) || e.message || "unknown error");
  });
  window.addEventListener("unhandledrejection", function (e) {
    showError("Vornu stopped", String(e.reason && e.reason.message ? e.reason.message : e.reason));
  });

  startButton.addEventListener("click", function () {
    if (failed) return;
    overlay.hidden = true;
    canvas.focus();
    window.vornuPage.state = "running";
    // Browsers may otherwise clear the site's storage, the saved game with it, after some
    // weeks without a visit.
    if (navigator.storage && navigator.storage.persist) {
      navigator.storage.persist().then(function (kept) {
        window.vornuPage.persisted = kept;
      }, function () {});
    }
    var args = [];
    if (program === "vornu-demo" && /[?&]fast\b/.test(location.search)) args.push("--fast");
    // main runs as an asynchronous call: the game's loop gives the browser its turn while it
    // waits, and the promise settles when main returns.
    var all = [program].concat(args);
    var argv = Module._malloc((all.length + 1) * 4);
    all.forEach(function (a, i) {
      Module.HEAP32[(argv >> 2) + i] = Module.allocateUTF8(a);
    });
    Module.HEAP32[(argv >> 2) + all.length] = 0;
    Promise.resolve()
      .then(function () {
        return Module.ccall("main", "number", ["number", "number"], [all.length, argv],
                            {async: true});
      })
      .then(function (status) {
        Module.keepFiles();
        Module.onExit(status);
      })
      .catch(function (e) {
        showError("Vornu stopped", String(e && e.message ? e.message : e));
      });
  });
  // Keys go to the game wherever the page has the focus.
  window.addEventListener("keydown", function (e) {
    if (window.vornuPage.state === "running" && e.key === " ") e.preventDefault();
  });

  // The scripts too are stored compressed: each is unpacked and run in its turn.
  function loadPacked(file) {
    return fetchPacked(file).then(function (stream) {
      return new Response(stream).blob();
    }).catch(function (e) {
      throw named(file, e);
    });
  }
  function run(file, code) {
    return new Promise(function (resolve, reject) {
      var s = document.createElement("script");
      s.src = URL.createObjectURL(new Blob([code], {type: "text/javascript"}));
      s.onload = function () {
        URL.revokeObjectURL(s.src);
        resolve();
      };
      s.onerror = function () {
        reject(new Error(file + " could not be run"));
      };
      document.body.appendChild(s);
    });
  }
  var dataScript = loadPacked("vornu-data.js"), programScript = loadPacked(program + ".js");
  // Their failures are reported in order below, not as they happen.
  dataScript.catch(function () {});
  programScript.catch(function () {});
  // The package's script takes the data when it runs, so it runs once the data is in.
  dataBytes.then(function (bytes) {
    Module.dataPackage = bytes;
    return dataScript;
  }).then(function (code) {
    return run("vornu-data.js", code);
  }).then(function () {
    return programScript;
  }).then(function (code) {
    return run(program + ".js", code);
  }).catch(function (e) {
    var what = /vornu\.data/.test(e.message) ? "The game data" : "The program";
    showError("Vornu cannot start", what + " could not be loaded (" + e.message + ").");
  });

  // ---- The songs: after the program and the data, so that they never delay the title ----
  // The game plays on in silence until a song is in its folder, and starts it then.
  var songs = ["music/music02.ogg", "music/music01.ogg"];  // the title's tune first
  var songBytes = {};
  songs.forEach(function (name) {
    Module.lateSongs[name] = "coming";
  });
  function songsReady() {
    Object.keys(songBytes).forEach(function (name) {
      if (!runtimeReady) return;
      try {
        Module.FS.writeFile("/vornu/" + name, songBytes[name]);
        Module.lateSongs[name] = "here";
      } catch (e) {
        console.warn("vornu: " + name + ": " + e);
        Module.lateSongs[name] = "lost";
      }
      delete songBytes[name];
    });
  }
  // The songs wait for the title picture: the game asks for the title's tune as it shows it
  // (or, with no sound to play, a few seconds after the start).
  var titleShown = new Promise(function (resolve) {
    Module.songWanted = resolve;
    startButton.addEventListener("click", function () {
      setTimeout(resolve, 5000);
    });
  });
  var songsFetched = Promise.all([programStream, dataBytes, titleShown]).then(function () {
    return songs.reduce(function (before, name) {
      return before.then(function () {
        return fetchFile(name).then(function (r) {
          return r.arrayBuffer();
        }).then(function (bytes) {
          songBytes[name] = new Uint8Array(bytes);
          songsReady();
        }, function (e) {
          // Without the song the game stays silent where it would play; the rest plays.
          console.warn("vornu: " + name + " could not be loaded (" + e.message + ")");
        });
      });
    }, Promise.resolve());
  });

  // ---- Offline: the service worker keeps the site once everything has arrived ----
  window.vornuPage.offline = "no";
  songsFetched.then(function () {
    if (failed || !("serviceWorker" in navigator) || location.protocol === "file:") return;
    window.vornuPage.offline = "keeping";
    return navigator.serviceWorker.register("sw.js").then(function () {
      return navigator.serviceWorker.ready;
    }).then(function () {
      window.vornuPage.offline = "kept";
    });
  }).catch(function (e) {
    window.vornuPage.offline = "failed";
    console.warn("vornu: the site is not kept for offline play: " + e);
  });

  // ---- The saved game as a file ----
  var noticeBox = document.getElementById("notice");
  var noticeTimer = 0;
  function notice(text, isError) {
    noticeBox.textContent = text;
    noticeBox.className = isError ? "error" : "";
    noticeBox.hidden = false;
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(function () {
      noticeBox.hidden = true;
    }, isError ? 12000 : 6000);
  }
  var saveName = "savegame.dat", saveKey = "vornu:/vornu/" + saveName;

  function storedSave() {
    if (runtimeReady) {
      try {
        return Module.FS.readFile("/vornu/" + saveName);
      } catch (e) {
        return null;
      }
    }
    var text = null;
    try {
      text = localStorage.getItem(saveKey);
    } catch (e) {}
    if (text === null) return null;
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
    return bytes;
  }

  document.getElementById("save-file").addEventListener("click", function () {
    var bytes = storedSave();
    if (!bytes) {
      notice("Ei tallennettua peliä. (No saved game yet: save in the game's inventory first.)", true);
      return;
    }
    var url = URL.createObjectURL(new Blob([bytes], {type: "application/octet-stream"}));
    var a = document.createElement("a");
    a.href = url;
    a.download = saveName;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(function () {
      URL.revokeObjectURL(url);
    }, 10000);
    canvas.focus();
  });

  var fileInput = document.getElementById("save-input");
  document.getElementById("load-file").addEventListener("click", function () {
    fileInput.value = "";
    fileInput.click();
  });
  fileInput.addEventListener("change", function () {
    var file = fileInput.files && fileInput.files[0];
    if (!file) return;
    // The same file, mended, may be chosen again.
    fileInput.value = "";
    if (file.size > (1 << 20)) {
      refuse(file.name, "the file is larger than 1 MiB, far more than a saved game");
      return;
    }
    file.arrayBuffer().then(function (buffer) {
      var bytes = new Uint8Array(buffer);
      var fault = saveFault(bytes);
      if (fault) {
        refuse(file.name, fault);
        return;
      }
      keepSave(bytes);
      notice("Tallennus otettu: lataa se pelin tavaraluettelosta. (" + file.name +
             " is now the saved game: load it with the inventory's load button.)");
    }, function (e) {
      refuse(file.name, "cannot read the file (" + e + ")");
    });
    canvas.focus();
  });

  // What is wrong with a file offered as the saved game, or null when the game will load it:
  // the game's own reading of savegame.dat (3018 lines; numbers where it reads numbers, in
  // their ranges; every carried item there), so that no file it would refuse replaces the save.
  function saveFault(bytes) {
    var text = "";
    for (var i = 0; i < bytes.length; i += 8192) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    }
    var lines = text.length ? text.split("\n") : [];
    if (lines.length && lines[lines.length - 1] === "") lines.pop();
    lines = lines.map(function (line) {
      return line.charAt(line.length - 1) === "\r" ? line.slice(0, -1) : line;
    });
    if (lines.length < 3018) return "it has " + lines.length + " lines instead of 3018";
    function number(n, lo, hi, what) {
      var line = lines[n - 1];
      if (!/^ *[+-]?[0-9]+$/.test(line)) {
        throw new Error("line " + n + ": " + what + " \"" + line.slice(0, 40) + "\" is not an integer");
      }
      var value = Number(line.replace(/^ *\+?/, ""));
      if (value < lo || value > hi) {
        throw new Error("line " + n + ": " + what + " " + value + " is outside " + lo + ".." + hi);
      }
      return value;
    }
    try {
      number(1, 0, 7, "direction");
      number(2, -21, 319 - 21, "Pukki's x");
      number(3, -52, 199 - 52, "Pukki's y");
      number(4, 1, 13, "scene");
      var items = [];
      for (var k = 1; k <= 13; ++k) items.push(number(3004 + k, 0, 13, "inventory entry"));
      var count = number(3018, 0, 13, "item count");
      for (var c = 1; c <= count; ++c) {
        if (items[c - 1] === 0) {
          return "line " + (3004 + c) + ": carried item " + c + " of " + count + " is empty";
        }
      }
    } catch (e) {
      return e.message;
    }
    return null;
  }

  function refuse(name, fault) {
    notice(name + " ei ole Vornun tallennus. (" + name + " is not a saved game of Vornu: " +
           fault + ". The saved game was not changed.)", true);
  }

  // The checked file replaces the save in the game's folder and in the browser's storage.
  function keepSave(bytes) {
    var text = "";
    for (var i = 0; i < bytes.length; i += 8192) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    }
    if (runtimeReady) {
      Module.FS.writeFile("/vornu/" + saveName, bytes);
      if (Module.keepFiles) Module.keepFiles();
    }
    if (!Module.keepNoFiles) localStorage.setItem(saveKey, text);
  }

  // ---- Touch screens: the inventory is the right button, which one finger cannot press ----
  var pointer = {x: 0.5, y: 0.5};  // the last place touched on the canvas, as a share
  canvas.addEventListener("pointerdown", function (e) {
    var r = canvas.getBoundingClientRect();
    pointer = {x: (e.clientX - r.left) / r.width, y: (e.clientY - r.top) / r.height};
  });
  window.addEventListener("touchstart", function () {
    document.body.classList.add("touched");
  }, {passive: true, once: true});
  document.getElementById("inventory").addEventListener("click", function () {
    if (window.vornuPage.state !== "running") return;
    var r = canvas.getBoundingClientRect();
    var at = {clientX: r.left + pointer.x * r.width, clientY: r.top + pointer.y * r.height,
              screenX: 0, screenY: 0, button: 2, buttons: 2, bubbles: true, cancelable: true,
              view: window};
    canvas.dispatchEvent(new MouseEvent("mousedown", at));
    setTimeout(function () {
      at.buttons = 0;
      canvas.dispatchEvent(new MouseEvent("mouseup", at));
    }, 60);
  });
})();
