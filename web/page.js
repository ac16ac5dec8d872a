// The page around the game: checks that the browser can run it, downloads the program and the
// game data with a progress bar, starts the game on the player's click (browsers allow sound
// only after one), scales the canvas by whole steps, offers full screen, and shows every
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

  // Download progress of the program and of the data package, together.
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

  // Fetches the program with a progress report, then compiles it.
  function instantiateWasm(imports, done) {
    var file = program + ".wasm";
    fetch(file, {credentials: "same-origin"})
      .then(function (response) {
        if (!response.ok) throw new Error(file + ": " + response.status + " " + response.statusText);
        var total = Number(response.headers.get("Content-Length")) || 0;
        if (!response.body || !total) return response.arrayBuffer();
        var reader = response.body.getReader(), chunks = [], got = 0;
        function pump() {
          return reader.read().then(function (r) {
            if (r.done) {
              var all = new Uint8Array(got), at = 0;
              chunks.forEach(function (c) {
                all.set(c, at);
                at += c.length;
              });
              return all.buffer;
            }
            chunks.push(r.value);
            got += r.value.length;
            report("program", got, total);
            return pump();
          });
        }
        return pump();
      })
      .then(function (bytes) {
        return WebAssembly.instantiate(bytes, imports);
      })
      .then(function (result) {
        done(result.instance, result.module);
      })
      .catch(function (e) {
        showError("Vornu cannot start", "The program could not be loaded (" + e.message + ").");
      });
    return {};
  }

  var Module = (window.Module = {
    canvas: canvas,
    keepNoFiles: script.getAttribute("data-keep-no-files") === "1",
    instantiateWasm: instantiateWasm,
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
    setFullScreen: setFullScreen,
    onFrame: null,
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
  // On a touch screen there is no Space key: a button held down stands in for it, sent to the
  // game as the key would be.
  var hotspotButton = document.getElementById("hotspots");
  var hotspotsHeld = false;
  function hotspotKey(down) {
    if (down === hotspotsHeld) return;
    hotspotsHeld = down;
    hotspotButton.classList.toggle("held", down);
    window.dispatchEvent(new KeyboardEvent(down ? "keydown" : "keyup",
                                           {key: " ", code: "Space", keyCode: 32, which: 32}));
  }
  if (navigator.maxTouchPoints > 0 || "ontouchstart" in window) hotspotButton.hidden = false;
  hotspotButton.addEventListener("pointerdown", function (e) {
    e.preventDefault();
    hotspotButton.setPointerCapture(e.pointerId);
    hotspotKey(true);
  });
  ["pointerup", "pointercancel", "lostpointercapture"].forEach(function (type) {
    hotspotButton.addEventListener(type, function () { hotspotKey(false); });
  });
  hotspotButton.addEventListener("contextmenu", function (e) { e.preventDefault(); });

  // Keys go to the game wherever the page has the focus.
  window.addEventListener("keydown", function (e) {
    if (window.vornuPage.state === "running" && e.key === " ") e.preventDefault();
  });

  function load(src) {
    var s = document.createElement("script");
    s.src = src;
    s.async = false;
    s.onerror = function () {
      showError("Vornu cannot start", src + " could not be loaded.");
    };
    document.body.appendChild(s);
  }
  load("vornu-data.js");
  load(program + ".js");
})();
