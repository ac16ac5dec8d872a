// The page around the game: checks that the browser can run it, downloads the program and the
// game data (stored compressed, unpacked here, whatever the server does) with a progress bar,
// starts the game on the player's click (browsers allow sound only after one), fetches the
// songs after that, scales the canvas by whole steps, offers full screen, the saved game as a
// file and the inventory on touch screens, keeps the site for offline visits, and shows every
// failure as a message instead of a blank canvas. It speaks the game's language: every text a
// player reads here is written once, in Finnish, in a call of T, and the other languages' texts
// come from texts.js (made from each language's page.json by the build).
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

  // ---- The language ----
  // Finnish is the game's own; every other one the site has comes with its page texts.
  var catalogues = window.vornuTexts;
  if (!catalogues) {
    console.warn("vornu: texts.js did not load, so the page offers only Finnish");
    catalogues = {};
  }
  var languages = ["fi"].concat(Object.keys(catalogues).filter(function (code) {
    return code !== "fi";
  }).sort());
  var languageKey = "vornu-language";
  function has(code) {
    return languages.indexOf(code) >= 0;
  }
  function keptLanguage() {
    try {
      return localStorage.getItem(languageKey);
    } catch (e) {
      return null;
    }
  }
  // The game's rule over a list of language names ("fi-FI", "en", "de"): the first one the site
  // has; Finnish when the list is empty; English when it names only languages the site lacks.
  function firstAvailable(names) {
    if (!names.length) return "fi";
    for (var i = 0; i < names.length; ++i) {
      var code = String(names[i]).toLowerCase().split(/[-_.@]/)[0];
      if (has(code)) return code;
    }
    return has("en") ? "en" : "fi";
  }
  // ?lang= wins (a link can say it); then what the player chose on this site; then the browser.
  function chooseLanguage() {
    var asked = new URLSearchParams(location.search).get("lang");
    if (asked) return firstAvailable([asked]);
    var kept = keptLanguage();
    if (kept && has(kept)) return kept;
    var browser = navigator.languages || (navigator.language ? [navigator.language] : []);
    return firstAvailable(browser);
  }
  var language = chooseLanguage();
  var catalogue = language === "fi" ? null : catalogues[language];
  var untranslated = [];
  // The text in the page's language. A text its catalogue lacks stays Finnish, and is noted.
  function T(finnish) {
    if (!catalogue) return finnish;
    if (Object.prototype.hasOwnProperty.call(catalogue, finnish)) return catalogue[finnish];
    if (untranslated.indexOf(finnish) < 0) {
      untranslated.push(finnish);
      console.warn("vornu: no " + language + " text for \"" + finnish + "\"");
    }
    return finnish;
  }
  // Text with its {name} places filled in from Values.
  function fill(text, values) {
    return text.replace(/\{(\w+)\}/g, function (place, name) {
      return Object.prototype.hasOwnProperty.call(values, name) ? String(values[name]) : place;
    });
  }

  // What the page and its tests can see of the game's course.
  window.vornuPage = {state: "loading", error: null, exitStatus: null, language: language,
                      untranslated: untranslated};

  document.documentElement.lang = language;
  if (program === "vornu-demo") document.title = T("Vornu: robotti pelaa");
  message.textContent = T("Ladataan…");
  startButton.textContent = T("Napsauta, niin peli alkaa");
  fullButton.textContent = T("Koko näyttö");
  fullButton.title = T("Koko näyttö (Alt+Enter)");
  [["hotspots", T("Kohteet"), T("Pidä pohjassa, niin näet, mitä voi napsauttaa (välilyönti)")],
   ["inventory", T("Säkki"), T("Pukin säkki: tavarat, tallennus ja lataus (hiiren oikea painike)")],
   ["save-file", T("Tallennus tiedostoon"), T("Tallenna peli tälle koneelle tiedostoksi savegame.dat")],
   ["load-file", T("Tallennus tiedostosta"), T("Ota tallennettu peli tämän koneen tiedostosta savegame.dat")]]
    .forEach(function (button) {
      var b = document.getElementById(button[0]);
      b.textContent = button[1];
      b.title = button[2];
    });
  document.getElementById("turn").textContent = T("Käännä puhelin vaakatasoon.");

  // The switch: one button per language, each named in its own language. A choice is kept and
  // the page starts again in it; the saved game waits in the browser's storage.
  var switcher = document.getElementById("languages");
  switcher.setAttribute("aria-label", T("Kieli"));
  languages.forEach(function (code) {
    var b = document.createElement("button");
    b.type = "button";
    b.lang = code;
    b.textContent = code.toUpperCase();
    b.setAttribute("aria-pressed", String(code === language));
    try {
      b.title = new Intl.DisplayNames([code], {type: "language"}).of(code);
    } catch (e) {}
    b.addEventListener("click", function () {
      if (code === language) return;
      // A game in progress starts over: what was not saved would go without a word.
      if (window.vornuPage.state === "running" &&
          !window.confirm(T("Peli alkaa alusta toisella kielellä, ja tallentamaton eteneminen katoaa. Vaihdetaanko kieli?"))) {
        return;
      }
      try {
        localStorage.setItem(languageKey, code);
      } catch (e) {}
      var url = new URL(location.href);
      url.searchParams.delete("lang");
      if (url.href === location.href) location.reload();
      else location.assign(url.href);
    });
    switcher.appendChild(b);
  });
  if (languages.length < 2) switcher.hidden = true;

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
    showError(T("Vornu ei käynnisty"),
              T("Tässä selaimessa ei ole WebAssemblyä. Avaa sivu jossain ajantasaisessa selaimessa."));
    return;
  }

  if (typeof DecompressionStream !== "function" || typeof Response !== "function") {
    showError(T("Vornu ei käynnisty"),
              T("Tämä selain ei osaa purkaa pelin tiedostoja. Avaa sivu jossain ajantasaisessa selaimessa."));
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
    showError(T("Vornu ei käynnisty"),
              fill(T("Ohjelmaa ei saatu ladattua ({reason})."), {reason: named(programFile, e).message}));
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
        showError(T("Vornu ei käynnisty"),
                  fill(T("Ohjelmaa ei saatu ladattua ({reason})."), {reason: named(programFile, e).message}));
      });
    return {};
  }

  var Module = (window.Module = {
    canvas: canvas,
    language: language,
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
      showError(T("Vornu pysähtyi"), String(what));
    },
    onExit: function (status) {
      window.vornuPage.exitStatus = status;
      if (failed) return;
      window.vornuPage.state = "ended";
      overlay.hidden = false;
      startButton.hidden = true;
      message.className = "";
      message.textContent = status === 0 ? T("Peli päättyi.")
                                         : fill(T("Vornu pysähtyi (tila {status})."), {status: status});
    },
    showError: showError,
    notice: notice,
    setFullScreen: setFullScreen,
  });

  window.addEventListener("error", function (e) {
    showError(T("Vornu ei käynnisty"), (e.error && e.error.message) || e.message || T("tuntematon virhe"));
  });
  window.addEventListener("unhandledrejection", function (e) {
    showError(T("Vornu pysähtyi"), String(e.reason && e.reason.message ? e.reason.message : e.reason));
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
        showError(T("Vornu pysähtyi"), String(e && e.message ? e.message : e));
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
        reject(new Error(fill(T("{file} ei käynnistynyt"), {file: file})));
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
    var what = /vornu\.data/.test(e.message) ? T("Pelin tietoja ei saatu ladattua ({reason}).")
                                             : T("Ohjelmaa ei saatu ladattua ({reason}).");
    showError(T("Vornu ei käynnisty"), fill(what, {reason: e.message}));
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
      notice(T("Tallennettua peliä ei vielä ole: tallenna ensin pelissä Pukin säkistä (hiiren oikea painike)."), true);
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
      refuse(file.name, T("tiedosto on yli 1 MiB, paljon suurempi kuin tallennettu peli"));
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
      notice(fill(T("{file} on nyt tallennettu peli: lataa se pelissä Pukin säkin Lataa-napista."),
                  {file: file.name}));
    }, function (e) {
      refuse(file.name, fill(T("tiedostoa ei voi lukea ({reason})"), {reason: e}));
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
    if (lines.length < 3018) return fill(T("siinä on {count} riviä, kun pitäisi olla 3018"), {count: lines.length});
    function number(n, lo, hi, what) {
      var line = lines[n - 1];
      if (!/^ *[+-]?[0-9]+$/.test(line)) {
        throw new Error(fill(T("rivi {line}: {what} \"{value}\" ei ole kokonaisluku"),
                             {line: n, what: what, value: line.slice(0, 40)}));
      }
      var value = Number(line.replace(/^ *\+?/, ""));
      if (value < lo || value > hi) {
        throw new Error(fill(T("rivi {line}: {what} {value} ei ole välillä {low}..{high}"),
                             {line: n, what: what, value: value, low: lo, high: hi}));
      }
      return value;
    }
    try {
      number(1, 0, 7, T("suunta"));
      number(2, -21, 319 - 21, T("Pukin x"));
      number(3, -52, 199 - 52, T("Pukin y"));
      number(4, 1, 13, T("kohtaus"));
      var items = [];
      for (var k = 1; k <= 13; ++k) items.push(number(3004 + k, 0, 13, T("tavaraluettelon kohta")));
      var count = number(3018, 0, 13, T("tavaroiden määrä"));
      for (var c = 1; c <= count; ++c) {
        if (items[c - 1] === 0) {
          return fill(T("rivi {line}: kannettava tavara {n}/{count} puuttuu"),
                      {line: 3004 + c, n: c, count: count});
        }
      }
    } catch (e) {
      return e.message;
    }
    return null;
  }

  function refuse(name, fault) {
    notice(fill(T("{file} ei ole Vornun tallennettu peli: {fault}. Tallennettu peli pysyi ennallaan."),
                {file: name, fault: fault}), true);
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
