// The browser build played in Debian's headless Chromium through the real page, as a player
// would: the title picture, the opening pictures, walking, saving and loading across a reload,
// the music, a first visit over a slow line and a second one without a network, the saved game
// as a file to and from the desktop game, the inventory on a touch screen, the page and the
// game in English, and the robot's whole walkthrough on the demo page. The first visit's figures are printed, not asserted.
//   node tests/web/run.mjs SITE_DIR [GAME_DIR]
// GAME_DIR is the desktop build's game directory (default build/vornu), whose pictures the
// canvas is compared with.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawn, spawnSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, symlinkSync, writeFileSync }
  from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = dirname(fileURLToPath(import.meta.url));
const site = resolve(process.argv[2] || "build-web/site");
const gameDir = resolve(process.argv[3] || join(here, "../../build/vornu"));
const W = 320, H = 200;

// ---- Pictures as the game shows them ----

// A 24-bit uncompressed Windows bitmap of the game data as 0xRRGGBB values, rows top first.
function readBitmap(file) {
  const b = readFileSync(file);
  const offset = b.readUInt32LE(10), width = b.readInt32LE(18), height = b.readInt32LE(22);
  const bits = b.readUInt16LE(28), compression = b.readUInt32LE(30);
  assert.equal(bits, 24, `${file}: expected a 24-bit bitmap`);
  assert.equal(compression, 0, `${file}: expected an uncompressed bitmap`);
  const rows = Math.abs(height), stride = Math.ceil((width * 3) / 4) * 4;
  const px = new Uint32Array(width * rows);
  for (let y = 0; y < rows; ++y) {
    const src = offset + (height > 0 ? rows - 1 - y : y) * stride;
    for (let x = 0; x < width; ++x) {
      const p = src + x * 3;
      px[y * width + x] = (b[p + 2] << 16) | (b[p + 1] << 8) | b[p];
    }
  }
  return { width, height: rows, px };
}

// What a colour becomes on the game's 16-bit surfaces and back on the screen: 5-6-5 bits,
// the top bits repeated into the low ones.
function through565(rgb) {
  const r = (rgb >> 19) & 31, g = (rgb >> 10) & 63, b = (rgb >> 3) & 31;
  return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

function shown(file) {
  const bmp = readBitmap(file);
  return bmp.px.map(through565);
}

// ---- The page ----

let server, address, browser, profile;
const problems = [];  // console errors and page errors of every page
const served = [];  // {status, bytes, path} of every response of the server, in order

before(async () => {
  server = spawn(process.execPath, [join(here, "../../web/serve.mjs"), site, "0", "--log"], {
    stdio: ["ignore", "pipe", "inherit"],
  });
  address = await new Promise((ok, fail) => {
    let out = "";
    server.stdout.on("data", (d) => {
      out += d;
      const m = /serving (http:\/\/\S+?)\/?\s/.exec(out);
      if (m) ok(m[1]);
      let nl;
      while ((nl = out.indexOf("\n")) >= 0) {
        const sent = /^sent (\d+) (\d+) (\S+)/.exec(out.slice(0, nl));
        if (sent) served.push({ status: Number(sent[1]), bytes: Number(sent[2]), path: sent[3] });
        out = out.slice(nl + 1);
      }
    });
    server.on("exit", (code) => fail(new Error("the server stopped: " + code)));
  });
  profile = mkdtempSync(join(tmpdir(), "vornu-chromium-"));
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    protocolTimeout: 600000,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
      "--window-size=1000,700"],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.kill();
  if (profile) rmSync(profile, { recursive: true, force: true });
});

// The browser's languages as the page sees them (navigator.languages), set before it runs.
async function browserLanguages(page, languages) {
  await page.evaluateOnNewDocument((list) => {
    Object.defineProperty(Navigator.prototype, "languages", { get: () => list.slice() });
    Object.defineProperty(Navigator.prototype, "language", { get: () => list[0] });
  }, languages);
}

// Listens to the page's output before anything of it runs, and measures what the game sends
// to the speakers: every node connected to the output is also connected to an analyser.
// The browser speaks Finnish unless Languages says otherwise.
async function openPage(page, path, prepare = null, languages = ["fi-FI", "fi"]) {
  page.on("console", (m) => {
    if (m.type() === "error") problems.push(`${path}: console: ${m.text()}`);
  });
  page.on("pageerror", (e) => problems.push(`${path}: ${e.message}`));
  await page.evaluateOnNewDocument(() => {
    window.vornuLog = [];
    const log = console.log.bind(console);
    console.log = (...a) => {
      window.vornuLog.push(a.join(" "));
      log(...a);
    };
    // Every picture handed to the page's canvas: an unchanged frame must not be uploaded.
    // Pixels counts what was put: the dirty rectangle when one is given, else the image.
    window.vornuUploads = 0;
    window.vornuUploadedPixels = 0;
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...a) {
      ++window.vornuUploads;
      window.vornuUploadedPixels += a.length >= 7 ? a[5] * a[6] : a[0].width * a[0].height;
      return put.apply(this, a);
    };
    window.vornuLoudness = 0;  // the largest RMS level measured so far
    const connect = AudioNode.prototype.connect;
    AudioNode.prototype.connect = function (target, ...rest) {
      if (target instanceof AudioDestinationNode && !this.vornuAnalyser) {
        const analyser = this.context.createAnalyser();
        analyser.fftSize = 2048;
        connect.call(this, analyser);
        this.vornuAnalyser = analyser;
        const data = new Float32Array(analyser.fftSize);
        setInterval(() => {
          analyser.getFloatTimeDomainData(data);
          let sum = 0;
          for (const v of data) sum += v * v;
          window.vornuLoudness = Math.max(window.vornuLoudness, Math.sqrt(sum / data.length));
        }, 50);
      }
      return connect.call(this, target, ...rest);
    };
  });
  await browserLanguages(page, languages);
  await page.setViewport({ width: 1000, height: 700 });
  if (prepare) await prepare(page);
  await page.goto(address + path, { waitUntil: "load" });
  await page.waitForFunction(() => window.vornuPage && window.vornuPage.state !== "loading",
    { timeout: 120000 });
  assert.equal(await page.evaluate(() => window.vornuPage.error), null);
  await page.click("#start");
}

// The canvas as 0xRRGGBB values.
async function canvasPixels(page) {
  const b64 = await page.evaluate(() => {
    const c = document.getElementById("canvas");
    const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    let s = "";
    for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
    return btoa(s);
  });
  const raw = Buffer.from(b64, "base64");
  const px = new Uint32Array(raw.length / 3);
  for (let i = 0; i < px.length; ++i) px[i] = (raw[3 * i] << 16) | (raw[3 * i + 1] << 8) | raw[3 * i + 2];
  return px;
}

function sameShare(a, b) {
  let same = 0;
  for (let i = 0; i < a.length; ++i) if (a[i] === b[i]) ++same;
  return same / a.length;
}

async function waitForPicture(page, want, share, what, timeoutMs = 30000) {
  const end = Date.now() + timeoutMs;
  let best = 0;
  while (Date.now() < end) {
    best = sameShare(await canvasPixels(page), want);
    if (best >= share) return best;
    await new Promise((r) => setTimeout(r, 100));
  }
  assert.fail(`${what}: only ${(best * 100).toFixed(1)} % of the canvas matches`);
}

// The box around the pixels that differ from the scene's background inside the play area
// (above the text line): Pukki, when nothing else moves.
function changedBox(px, background, skip) {
  let x0 = W, y0 = H, x1 = -1, y1 = -1;
  for (let y = 0; y < 180; ++y) {
    for (let x = 0; x < W; ++x) {
      if (skip && x >= skip.x - 2 && x < skip.x + 14 && y >= skip.y - 2 && y < skip.y + 14) continue;
      if (px[y * W + x] !== background[y * W + x]) {
        x0 = Math.min(x0, x); y0 = Math.min(y0, y); x1 = Math.max(x1, x); y1 = Math.max(y1, y);
      }
    }
  }
  return x1 < 0 ? null : { x0, y0, x1, y1 };
}

// The canvas's on-page position of a logical pixel.
async function pagePoint(page, x, y) {
  return page.evaluate((x, y) => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return { x: r.left + ((x + 0.5) * r.width) / 320, y: r.top + ((y + 0.5) * r.height) / 200 };
  }, x, y);
}

async function click(page, x, y, button = "left") {
  const p = await pagePoint(page, x, y);
  await page.mouse.move(p.x, p.y);
  await page.mouse.down({ button });
  await new Promise((r) => setTimeout(r, 60));
  await page.mouse.up({ button });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A floor pixel of scene 1 (0 in its hotspot map) with floor all around, far from x = From.
function floorPoint(fromX) {
  const map = readFileSync(join(gameDir, "scenes/scene1.dat"));
  let best = null;
  for (let y = 120; y < 175; y += 5) {
    for (let x = 20; x < 300; x += 5) {
      let floor = true;
      for (let dy = -4; dy <= 4 && floor; ++dy)
        for (let dx = -4; dx <= 4 && floor; ++dx) floor = map[(y + dy) * W + x + dx] === 0;
      if (floor && (!best || Math.abs(x - fromX) > Math.abs(best.x - fromX))) best = { x, y };
    }
  }
  assert.ok(best, "scene 1 has floor to walk on");
  return best;
}

// The opening pictures, stepped through with keys, until scene 1 is on the canvas.
async function intoSceneOne(page) {
  const scene1 = shown(join(gameDir, "scenes/scene1.bmp"));
  for (let i = 0; i < 12; ++i) {
    if (sameShare(await canvasPixels(page), scene1) > 0.8) return scene1;
    await page.keyboard.press("x");
    await sleep(300);
  }
  await waitForPicture(page, scene1, 0.8, "scene 1 after the opening pictures");
  return scene1;
}

// How many pictures reach the canvas within Ms milliseconds.
async function uploadsWithin(page, ms) {
  const from = await page.evaluate(() => window.vornuUploads);
  await sleep(ms);
  return (await page.evaluate(() => window.vornuUploads)) - from;
}

const savedGame = (page) =>
  page.evaluate(() => localStorage.getItem("vornu:/vornu/savegame.dat"));

let firstSave = null, walkedTo = null;

test("the title picture, the opening pictures, a walk and a save", async () => {
  const page = await browser.newPage();
  await openPage(page, "/index.html");
  await page.evaluate(() => localStorage.clear());
  // The title picture exactly as the game shows it, with nothing drawn over it.
  await waitForPicture(page, shown(join(gameDir, "sprites/alkukuva.bmp")), 1, "the title picture");
  // The music plays from the start.
  await page.waitForFunction(() => window.vornuLoudness > 0.01, { timeout: 20000 });
  // The canvas fills the window by whole steps and hides the system pointer.
  const look = await page.evaluate(() => {
    const c = document.getElementById("canvas"), r = c.getBoundingClientRect();
    return { w: r.width, h: r.height, left: r.left, top: r.top, cursor: getComputedStyle(c).cursor,
      rendering: getComputedStyle(c).imageRendering };
  });
  assert.deepEqual([look.w, look.h], [960, 600]);
  assert.deepEqual([look.left, look.top], [20, 50]);
  assert.equal(look.cursor, "none");
  assert.equal(look.rendering, "pixelated");
  // The title stands still: nothing more is uploaded to the canvas.
  assert.equal(await uploadsWithin(page, 2000), 0, "uploads while the title stands still");

  const background = await intoSceneOne(page);
  await sleep(500);
  const before = changedBox(await canvasPixels(page), background, { x: 0, y: 0 });
  assert.ok(before, "Pukki stands in scene 1");
  const target = floorPoint((before.x0 + before.x1) / 2);
  assert.equal(await uploadsWithin(page, 2000), 0, "uploads while Pukki stands still");
  const uploadsBeforeWalk = await page.evaluate(() => window.vornuUploads);
  const pixelsBeforeWalk = await page.evaluate(() => window.vornuUploadedPixels);
  await click(page, target.x, target.y);
  await sleep(200);
  // Walk until the picture stops changing, then find Pukki's feet at the clicked point.
  let box = null, last = null;
  for (let i = 0; i < 200; ++i) {
    await sleep(150);
    box = changedBox(await canvasPixels(page), background, target);
    if (last && box && JSON.stringify(box) === JSON.stringify(last)) break;
    last = box;
  }
  assert.ok(box, "Pukki is still in the scene");
  const feetX = (box.x0 + box.x1) / 2, feetY = box.y1;
  assert.ok(Math.abs(feetX - target.x) <= 8 && Math.abs(feetY - target.y) <= 8,
    `Pukki's feet at (${feetX}, ${feetY}) after a click on (${target.x}, ${target.y})`);
  walkedTo = target;
  // Every step of the walk reached the canvas (a step moves Pukki two pixels at most), and
  // once he stands again nothing more is uploaded.
  const walked = Math.max(Math.abs(feetX - (before.x0 + before.x1) / 2), Math.abs(feetY - before.y1));
  const walkUploads = (await page.evaluate(() => window.vornuUploads)) - uploadsBeforeWalk;
  assert.ok(walkUploads >= walked / 2, `${walkUploads} uploads for a walk of ${walked} pixels`);
  // A step changes Pukki's box and little else: only that travels, not the whole picture.
  const walkPixels = (await page.evaluate(() => window.vornuUploadedPixels)) - pixelsBeforeWalk;
  assert.ok(walkPixels / walkUploads < 320 * 200 / 8,
    `${walkPixels} pixels put on the canvas in ${walkUploads} uploads during the walk`);
  assert.equal(await uploadsWithin(page, 1000), 0, "uploads after the walk");

  // Saving through the inventory keeps the game in the browser's storage.
  assert.equal(await savedGame(page), null);
  await click(page, 160, 100, "right");
  await sleep(400);
  await click(page, 160, 185);
  await page.waitForFunction(() => localStorage.getItem("vornu:/vornu/savegame.dat"),
    { timeout: 10000 });
  firstSave = await savedGame(page);
  const lines = firstSave.split("\r\n");
  assert.equal(lines.length, 3019);  // 3018 lines, each ended by CR LF
  assert.equal(lines[3], "1");  // the scene
  assert.ok(Math.abs(Number(lines[1]) + 21 - target.x) <= 3, "saved x " + lines[1]);
  assert.ok(Math.abs(Number(lines[2]) + 52 - target.y) <= 3, "saved y " + lines[2]);
  await page.close();
});

test("a reload keeps the save, and loading it gives back the same game", async () => {
  assert.ok(firstSave, "the first test saved");
  const page = await browser.newPage();
  await openPage(page, "/index.html");
  assert.equal(await savedGame(page), firstSave);
  const background = await intoSceneOne(page);
  // Walk elsewhere first, so that loading has something to undo.
  await click(page, 160, 100, "right");
  await sleep(400);
  await click(page, 60, 185);  // load
  await sleep(3000);
  const box = changedBox(await canvasPixels(page), background, { x: 60, y: 185 });
  assert.ok(box && Math.abs((box.x0 + box.x1) / 2 - walkedTo.x) <= 8 &&
    Math.abs(box.y1 - walkedTo.y) <= 8, "Pukki stands where he was saved");
  // Saving again writes exactly the same file: scene, position, direction, flags, hidden
  // hotspots and items all came back.
  await page.evaluate(() => localStorage.setItem("vornu:/vornu/savegame.dat", "x"));
  await click(page, 160, 100, "right");
  await sleep(400);
  await click(page, 160, 185);
  await page.waitForFunction(() => localStorage.getItem("vornu:/vornu/savegame.dat") !== "x",
    { timeout: 10000 });
  assert.equal(await savedGame(page), firstSave);
  await page.close();
});

// ---- The site as a first and a second visit ----

const MB = 1e6;

// Bytes on the wire of one page's own requests (headers included), as Chromium counts them;
// what the service worker fetches is counted by the server.
async function wireCounter(page) {
  const cdp = await page.createCDPSession();
  const bytes = new Map();
  cdp.on("Network.dataReceived", (e) => bytes.set(e.requestId, (bytes.get(e.requestId) || 0) + e.encodedDataLength));
  cdp.on("Network.loadingFinished", (e) => bytes.set(e.requestId, e.encodedDataLength));
  await cdp.send("Network.enable");
  return { cdp, total: () => [...bytes.values()].reduce((a, b) => a + b, 0) };
}

// The inventory's buttons, as the first test uses them.
async function inventoryButton(page, x) {
  await click(page, 160, 100, "right");
  await sleep(400);
  await click(page, x, 185);
}

test("a first visit over a slow line keeps the site, and a second one plays without a network", async () => {
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    let wire, opened;
    const firstServed = served.length;
    // Opened at 10 Mbit/s down with 40 ms there and back; the start is clicked at once.
    await openPage(page, "/index.html", async () => {
      wire = await wireCounter(page);
      await wire.cdp.send("Network.emulateNetworkConditions",
        { offline: false, latency: 40, downloadThroughput: 10e6 / 8, uploadThroughput: 10e6 / 8 });
      opened = Date.now();
    });
    await waitForPicture(page, shown(join(gameDir, "sprites/alkukuva.bmp")), 1, "the title picture");
    const titleMs = Date.now() - opened, titleBytes = wire.total();
    // The songs arrive after the title; the title's tune starts when its song is in.
    await page.waitForFunction(() => window.vornuLoudness > 0.01, { timeout: 30000 });
    await page.waitForFunction(() => window.vornuPage.offline === "kept", { timeout: 60000 });
    // A browser may offer to install the game (manifest, icons, worker); only this test's
    // private window stands in the way.
    const install = await wire.cdp.send("Page.getInstallabilityErrors");
    assert.deepEqual(install.installabilityErrors.map((e) => e.errorId).filter((e) => e !== "in-incognito"), []);
    const pageBytes = wire.total();
    const visit = served.slice(firstServed);
    const serverBytes = visit.reduce((a, r) => a + r.bytes, 0);
    console.log(`# first visit at 10 Mbit/s, 40 ms: title picture after ${(titleMs / 1000).toFixed(2)} s ` +
      `(target 3 s), ${(titleBytes / MB).toFixed(2)} MB before it (target 1.5 MB), ` +
      `${(Math.max(pageBytes, serverBytes) / MB).toFixed(2)} MB in all (target 3 MB; the page ` +
      `${(pageBytes / MB).toFixed(2)} MB, the server sent ${(serverBytes / MB).toFixed(2)} MB in ` +
      `${visit.length} responses, ${visit.filter((r) => r.status === 304).length} of them "not modified")`);
    // Every file reached the page once: keeping the site for offline play downloads nothing twice.
    const full = visit.filter((r) => r.status === 200 && r.bytes > 100000).map((r) => r.path);
    assert.deepEqual(full, [...new Set(full)], "large files sent twice");
    await page.close();

    // The second visit: no network at all, and the server hears nothing.
    const offline = await context.newPage();
    await offline.setOfflineMode(true);
    const before = served.length;
    await openPage(offline, "/index.html");
    await waitForPicture(offline, shown(join(gameDir, "sprites/alkukuva.bmp")), 1, "the title picture offline");
    await offline.waitForFunction(() => window.vornuLoudness > 0.01, { timeout: 20000 });
    const background = await intoSceneOne(offline);
    await sleep(500);
    const home = changedBox(await canvasPixels(offline), background, { x: 0, y: 0 });
    const key = "vornu:/vornu/savegame.dat";
    await offline.evaluate((k) => localStorage.removeItem(k), key);
    await inventoryButton(offline, 160);  // save
    await offline.waitForFunction((k) => localStorage.getItem(k), { timeout: 10000 }, key);
    await sleep(3000);
    // Walk away, then loading brings Pukki back.
    const away = floorPoint((home.x0 + home.x1) / 2);
    await click(offline, away.x, away.y);
    let last = null;
    for (let i = 0; i < 200; ++i) {
      await sleep(150);
      const box = changedBox(await canvasPixels(offline), background, away);
      if (last && JSON.stringify(box) === JSON.stringify(last)) break;
      last = box;
    }
    assert.ok(last && Math.abs(last.y1 - home.y1) + Math.abs(last.x0 - home.x0) > 10, "Pukki walked away");
    await inventoryButton(offline, 60);  // load
    await sleep(3000);
    const back = changedBox(await canvasPixels(offline), background, { x: 60, y: 185 });
    assert.ok(back && Math.abs(back.x0 - home.x0) <= 4 && Math.abs(back.y1 - home.y1) <= 4,
      `Pukki at ${JSON.stringify(back)} after loading, saved at ${JSON.stringify(home)}`);
    // Only the browser's own look for a new version of the worker may try the network.
    assert.deepEqual(served.slice(before).filter((r) => r.path !== "/sw.js"), [],
      "requests that reached the server while offline");
    await offline.close();
  } finally {
    await context.close();
  }
});

// A folder with the desktop build's game data, where its robot saves or loads.
function nativeFolder() {
  const dir = mkdtempSync(join(tmpdir(), "vornu-native-"));
  for (const d of ["scenes", "sprites", "items", "music"]) symlinkSync(join(gameDir, d), join(dir, d));
  return dir;
}

// The desktop game's short save run in Dir: saves there, or loads the save that is there.
function nativeSaveRun(dir) {
  const run = spawnSync(join(gameDir, "vornu-demo"), ["--save-run", "--fast"], {
    cwd: dir, encoding: "utf8", timeout: 120000,
    env: { ...process.env, SDL_VIDEODRIVER: "dummy", SDL_AUDIODRIVER: "dummy" },
  });
  const said = /demo: (saved|loaded): (.*) in /.exec(run.stderr + run.stdout);
  assert.equal(run.status, 0, "the desktop game's save run: " + run.stderr.slice(-400));
  assert.ok(said, "the desktop game's save run said what it did: " + run.stderr.slice(-400));
  return { did: said[1], game: said[2] };
}

const latin1 = (buffer) => Buffer.from(buffer).toString("latin1");

test("the saved game as a file: from the desktop game, back to it, and a broken file refused", async () => {
  const desktop = nativeFolder(), back = nativeFolder();
  const downloads = mkdtempSync(join(tmpdir(), "vornu-downloads-"));
  const context = await browser.createBrowserContext();
  try {
    const made = nativeSaveRun(desktop);
    assert.equal(made.did, "saved");
    const file = join(desktop, "savegame.dat");
    const page = await context.newPage();
    await openPage(page, "/index.html");
    const key = "vornu:/vornu/savegame.dat";
    const stored = () => page.evaluate((k) => localStorage.getItem(k), key);
    const offer = async (path) => {
      await page.evaluate(() => { document.getElementById("notice").hidden = true; });
      await (await page.$("#save-input")).uploadFile(path);
      await page.waitForFunction(() => !document.getElementById("notice").hidden, { timeout: 10000 });
      return page.evaluate(() => document.getElementById("notice").textContent);
    };
    // The desktop's file becomes the stored save, byte for byte.
    assert.doesNotMatch(await offer(file), /ei ole Vornun tallennettu peli/);
    assert.equal(await stored(), latin1(readFileSync(file)));

    // Files the game would refuse leave it as it was, and the page says what is wrong.
    const lines = latin1(readFileSync(file)).split("\r\n");
    const broken = [
      { change: (l) => { l[3] = "14"; }, want: /rivi 4: kohtaus 14 ei ole välillä 1\.\.13/ },
      { change: (l) => { l[3004] = "0"; }, want: /rivi 3005: kannettava tavara 1\/1 puuttuu/ },
      { change: (l) => { l[1] = "12x"; }, want: /rivi 2: Pukin x "12x" ei ole kokonaisluku/ },
      { change: (l) => l.splice(2000), want: /2000 riviä, kun pitäisi olla 3018/ },
    ];
    for (const b of broken) {
      const copy = lines.slice();
      b.change(copy);
      const path = join(downloads, "broken.dat");
      writeFileSync(path, Buffer.from(copy.join("\r\n"), "latin1"));
      const said = await offer(path);
      assert.match(said, /broken\.dat ei ole Vornun tallennettu peli/);
      assert.match(said, b.want);
      assert.equal(await stored(), latin1(readFileSync(file)), "the stored save after " + b.want);
    }
    assert.match(await offer(join(site, "icons/vornu-32.png")), /ei ole Vornun tallennettu peli/);

    // Loaded in the game: the desktop's scene, and saving again writes the same file.
    await intoSceneOne(page);
    await inventoryButton(page, 60);  // load
    await waitForPicture(page, shown(join(gameDir, "scenes/scene2.bmp")), 0.8, "the desktop's scene 2");
    await sleep(3000);  // "Peli ladattu." goes
    await page.evaluate((k) => localStorage.setItem(k, "x"), key);
    await inventoryButton(page, 160);  // save
    await page.waitForFunction((k) => localStorage.getItem(k) !== "x", { timeout: 10000 }, key);
    assert.equal(await stored(), latin1(readFileSync(file)));

    // The page's "save to a file" gives the game's file, which the desktop game loads.
    const cdp = await page.createCDPSession();
    await cdp.send("Browser.setDownloadBehavior",
      { behavior: "allow", downloadPath: downloads, browserContextId: context.id });
    await page.click("#save-file");
    const got = join(downloads, "savegame.dat");
    for (let i = 0; i < 100 && !existsSync(got); ++i) await sleep(100);
    assert.deepEqual(readdirSync(downloads).filter((f) => f.startsWith("savegame")), ["savegame.dat"]);
    assert.equal(latin1(readFileSync(got)), await page.evaluate(() =>
      String.fromCharCode(...window.Module.FS.readFile("/vornu/savegame.dat"))));
    writeFileSync(join(back, "savegame.dat"), readFileSync(got));
    const loaded = nativeSaveRun(back);
    assert.deepEqual([loaded.did, loaded.game], ["loaded", made.game]);
    await page.close();
  } finally {
    await context.close();
    for (const d of [desktop, back, downloads]) rmSync(d, { recursive: true, force: true });
  }
});

test("on a touch screen one finger opens the inventory, and an upright phone is asked to turn", async () => {
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.emulate({ userAgent: await browser.userAgent(),
      viewport: { width: 800, height: 400, isMobile: true, hasTouch: true, isLandscape: true } });
    await openPage(page, "/index.html");
    const shownNow = (id) => page.evaluate((id) =>
      getComputedStyle(document.getElementById(id)).display !== "none", id);
    assert.equal(await shownNow("inventory"), false, "the inventory button before a touch");
    await page.touchscreen.tap(500, 5);
    assert.equal(await shownNow("inventory"), true, "the inventory button after a touch");
    assert.equal(await shownNow("turn"), false);
    await intoSceneOne(page);
    const key = "vornu:/vornu/savegame.dat";
    await page.evaluate((k) => localStorage.removeItem(k), key);
    // The inventory's save button is only there once the button beside the canvas opened it.
    await page.tap("#inventory");
    await sleep(500);
    const p = await pagePoint(page, 160, 185);
    await page.touchscreen.tap(p.x, p.y);
    await page.waitForFunction((k) => localStorage.getItem(k), { timeout: 10000 }, key);
    await page.setViewport({ width: 400, height: 800, isMobile: true, hasTouch: true });
    assert.equal(await shownNow("turn"), true);
    await page.close();
  } finally {
    await context.close();
  }
});

// ---- Languages ----

// A new page of Context. Chromium now and then refuses to open one ("Session with given id not
// found") while a page closed just before still winds down its service worker; the next try
// opens it.
async function newTab(context) {
  for (let i = 0; ; ++i) {
    try {
      return await context.newPage();
    } catch (e) {
      if (i >= 3 || !/Session with given id not found/.test(e.message)) throw e;
      await sleep(500);
    }
  }
}

// A pixel of scene 1's hotspot Value (in its hotspot map) with the same hotspot all around.
function hotspotPoint(value) {
  const map = readFileSync(join(gameDir, "scenes/scene1.dat"));
  for (let y = 10; y < 170; ++y) {
    for (let x = 10; x < 310; ++x) {
      let inside = true;
      for (let dy = -4; dy <= 4 && inside; ++dy)
        for (let dx = -4; dx <= 4 && inside; ++dx) inside = map[(y + dy) * W + x + dx] === value;
      if (inside) return { x, y };
    }
  }
  assert.fail(`scene 1 has no hotspot ${value}`);
}

// The text line below the play area once it has stood still for a moment.
async function textLine(page) {
  let last = null;
  for (let i = 0; i < 50; ++i) {
    await sleep(150);
    const line = (await canvasPixels(page)).slice(180 * W);
    if (last && sameShare(line, last) === 1) return line;
    last = line;
  }
  return last;
}

// The page opened at Path shows Title first; then the text line of scene 1 with the pointer on
// the floor (hotspot 0, well above the line) and on the window (hotspot 1: its name is the
// caption).
async function windowCaption(context, path, title) {
  const page = await newTab(context);
  await openPage(page, path);
  await waitForPicture(page, title, 1, path + ": the title picture");
  const background = await intoSceneOne(page);
  const at = async (p) => {
    const q = await pagePoint(page, p.x, p.y);
    await page.mouse.move(q.x, q.y);
    return textLine(page);
  };
  const none = await at(hotspotPoint(0)), caption = await at(hotspotPoint(1));
  await page.close();
  return { background, none, caption };
}

// What a page opened at Path in the given browser languages chose.
async function chosen(context, path, languages) {
  const page = await newTab(context);
  await browserLanguages(page, languages);
  await page.goto(address + path, { waitUntil: "load" });
  const got = await page.evaluate(() => ({
    language: window.vornuPage.language, html: document.documentElement.lang,
    pressed: [...document.querySelectorAll("#languages button")]
      .filter((b) => b.getAttribute("aria-pressed") === "true").map((b) => b.textContent),
  }));
  await page.close();
  return got;
}

test("the page and the game in English: ?lang=, the switch, the browser's languages", async () => {
  const english = join(gameDir, "lang/en");
  assert.ok(existsSync(english), `${english}: the game directory has no English`);
  const context = await browser.createBrowserContext();
  try {
    // The page's own texts: every one has its English, and the buttons say it.
    const page = await newTab(context);
    await page.goto(address + "/index.html?lang=en", { waitUntil: "load" });
    await page.waitForFunction(() => window.vornuPage.state !== "loading", { timeout: 120000 });
    const texts = await page.evaluate(() => ({
      untranslated: window.vornuPage.untranslated, html: document.documentElement.lang,
      start: document.getElementById("start").textContent,
      buttons: [...document.querySelectorAll("#tools > button")].map((b) => b.textContent),
    }));
    await page.close();
    assert.deepEqual(texts.untranslated, []);
    assert.equal(texts.html, "en");
    assert.notEqual(texts.start, "Napsauta, niin peli alkaa");
    assert.ok(!texts.buttons.includes("Tallennus tiedostoon"), texts.buttons.join(", "));

    // The game: the English title picture, and an English caption where the Finnish one was.
    const titleFi = shown(join(gameDir, "sprites/alkukuva.bmp"));
    const titleEn = shown(join(english, "sprites/alkukuva.bmp"));
    assert.ok(sameShare(titleEn, titleFi) < 0.99, "the English title picture has English on it");
    const fi = await windowCaption(context, "/index.html?lang=fi", titleFi);
    const en = await windowCaption(context, "/index.html?lang=en", titleEn);
    assert.equal(sameShare(en.background, fi.background), 1, "scene 1 is the same picture");
    assert.ok(sameShare(fi.caption, fi.none) < 1, "the Finnish caption on the text line");
    assert.ok(sameShare(en.caption, en.none) < 1, "the English caption on the text line");
    assert.ok(sameShare(en.caption, fi.caption) < 1, "the window's caption is not the Finnish one");

    // ?lang= wins; else the browser's languages by the game's rule.
    const cases = [
      [["fi-FI"], "/index.html", "fi"], [["fi"], "/index.html?lang=en", "en"],
      [["de"], "/index.html", "en"], [["de-AT", "fi", "en"], "/index.html", "fi"],
      [["en-GB", "fi"], "/index.html", "en"], [[], "/index.html", "fi"],
      [["en"], "/index.html?lang=fi", "fi"], [["fi"], "/demo.html?lang=en", "en"],
    ];
    for (const [languages, path, want] of cases) {
      const got = await chosen(context, path, languages);
      assert.deepEqual(got, { language: want, html: want, pressed: [want.toUpperCase()] },
        `${path} in a browser speaking ${JSON.stringify(languages)}`);
    }

    // The switch: the other language at once, and kept for the next visit, where ?lang= still
    // wins; choosing again drops the address's ?lang=.
    const switched = await newTab(context);
    await openPage(switched, "/index.html", null, ["fi"]);
    await Promise.all([switched.waitForNavigation({ waitUntil: "load" }),
      (async () => {
        switched.once("dialog", (d) => d.accept());
        await switched.click("#languages button[lang=en]");
      })()]);
    assert.equal(await switched.evaluate(() => window.vornuPage.language), "en");
    await switched.close();
    assert.equal((await chosen(context, "/index.html", ["fi"])).language, "en", "after a reload");
    assert.equal((await chosen(context, "/index.html?lang=fi", ["fi"])).language, "fi");
    const back = await newTab(context);
    await browserLanguages(back, ["fi"]);
    await back.goto(address + "/index.html?lang=en", { waitUntil: "load" });
    // Before the game starts (in play, Tab is the game's right button) the keys reach it.
    for (let i = 0; i < 10 && !(await back.evaluate(() =>
      document.activeElement.lang === "fi")); ++i) await back.keyboard.press("Tab");
    await Promise.all([back.waitForNavigation({ waitUntil: "load" }), back.keyboard.press("Enter")]);
    assert.deepEqual(await back.evaluate(() => [window.vornuPage.language, location.search]),
      ["fi", ""]);
    await back.close();
    assert.equal((await chosen(context, "/index.html", ["en"])).language, "fi", "kept");
  } finally {
    await context.close();
  }
});

test("the robot plays the whole game on the demo page to the credits", { timeout: 1500000 }, async () => {
  const page = await browser.newPage();
  await openPage(page, "/demo.html?fast");
  // The fast walkthrough takes some minutes of game time; it fails by itself on a step that
  // does not come (two minutes each).
  const end = Date.now() + 1400000;
  let shown = 0;
  while ((await page.evaluate(() => window.vornuPage.state)) === "running" && Date.now() < end) {
    await sleep(2000);
    // The robot's progress, for whoever watches the run.
    const lines = await page.evaluate((from) => window.vornuLog.slice(from), shown);
    shown += lines.length;
    for (const line of lines) if (line.startsWith("demo:")) console.log("# " + line);
  }
  const log = await page.evaluate(() => window.vornuLog);
  const state = await page.evaluate(() => window.vornuPage);
  assert.ok(log.includes("demo: the credits were shown and the game closed itself"),
    "the demo's last lines: " + log.slice(-5).join(" | "));
  assert.equal(state.exitStatus, 0);
  await page.close();
});

test("a missing file or a browser without WebAssembly is named on the page", async () => {
  const cases = [
    { what: "no data package", missing: "vornu.data", want: /vornu\.data|Not Found|404/ },
    { what: "no program", missing: "vornu.wasm", want: /vornu\.wasm/ },
    { what: "no WebAssembly", missing: null, want: /ei ole WebAssemblyä/ },
  ];
  for (const c of cases) {
    const page = await browser.newPage();
    await page.setRequestInterception(true);
    page.on("request", (r) => {
      if (c.missing && r.url().endsWith("/" + c.missing)) {
        r.respond({ status: 404, contentType: "text/plain", body: "not found" });
      } else {
        r.continue();
      }
    });
    // What the site's service worker answers never reaches the interception.
    await page.setBypassServiceWorker(true);
    await browserLanguages(page, ["fi"]);
    if (!c.missing) await page.evaluateOnNewDocument(() => { delete window.WebAssembly; });
    await page.goto(address + "/index.html", { waitUntil: "load" });
    await page.waitForFunction(() => window.vornuPage && window.vornuPage.state === "failed",
      { timeout: 60000 });
    const shownText = await page.evaluate(() => {
      const m = document.getElementById("message");
      return getComputedStyle(document.getElementById("overlay")).display !== "none" ? m.textContent : "";
    });
    assert.match(shownText, c.want, c.what + ": " + shownText);
    assert.match(shownText, /Vornu ei käynnisty/, c.what);
    await page.close();
  }
});

test("no page wrote an error", () => {
  assert.deepEqual(problems, []);
});
