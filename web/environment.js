// Hands the page's choices to the game's environment before its program starts: the language
// the page chose reaches the game as LANGUAGE, which it reads as on the desktop.
(function () {
  Module["preRun"] = Module["preRun"] || [];
  Module["preRun"].push(function () {
    if (Module["language"]) ENV["LANGUAGE"] = Module["language"];
  });
})();
