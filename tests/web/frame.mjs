// How long the browser build works on one game frame: from the browser's animation frame that
// resumes the game to the game's request for the next one, while Pukki walks back and forth in
// scene 1 (the busiest common frame: background, tiles, Pukki, pointer). Prints the median and
// the 90th percentile, and per frame put on the canvas the time spent putting pixels there and
// how many were put (only the changed rectangles travel); compare builds with it, it asserts
// nothing.
//   node tests/web/frame.mjs SITE_DIR [SECONDS]
import { spawn } from "node:child_process";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = dirname(fileURLToPath(import.meta.url));
const site = resolve(process.argv[2] || "build-web/site");
const seconds = Number(process.argv[3] || 20);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

const server = spawn(process.execPath, [join(here, "../../web/serve.mjs"), site, "0"],
  { stdio: ["ignore", "pipe", "inherit"] });
const address = await new Promise((ok) => {
  let out = "";
  server.stdout.on("data", (d) => {
    const m = /serving (http:\/\/\S+?)\/?\s/.exec((out += d));
    if (m) ok(m[1]);
  });
});
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-background-timer-throttling",
    "--disable-renderer-backgrounding", "--window-size=1000,700"],
});
try {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.vornuWork = [];
    window.vornuPut = { calls: 0, pixels: 0, ms: 0 };
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...a) {
      const t = performance.now();
      const r = put.apply(this, a);
      if (window.vornuMeasure) {
        window.vornuPut.ms += performance.now() - t;
        ++window.vornuPut.calls;
        window.vornuPut.pixels += a.length >= 7 ? a[5] * a[6] : a[0].width * a[0].height;
      }
      return r;
    };
    let resumed = null;
    const ask = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => {
      if (resumed !== null && window.vornuMeasure) window.vornuWork.push(performance.now() - resumed);
      resumed = null;
      return ask((t) => {
        resumed = performance.now();
        callback(t);
      });
    };
  });
  await page.setViewport({ width: 1000, height: 700 });
  await page.goto(address + "/index.html");
  await page.waitForFunction(() => window.vornuPage && window.vornuPage.state === "ready",
    { timeout: 120000 });
  await page.click("#start");
  await sleep(1500);
  for (let i = 0; i < 12; ++i) {
    await page.keyboard.press("x");
    await sleep(300);
  }
  await sleep(1000);
  const at = async (x, y) => page.evaluate((x, y) => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return { x: r.left + (x * r.width) / 320, y: r.top + (y * r.height) / 200 };
  }, x, y);
  await page.evaluate(() => {
    window.vornuMeasure = true;
    window.vornuShown = 0;
    const old = Module.onFrame;
    Module.onFrame = () => { if (window.vornuMeasure) ++window.vornuShown; if (old) old(); };
  });
  const end = Date.now() + seconds * 1000;
  for (let i = 0; Date.now() < end; ++i) {
    const p = await at(i % 2 ? 60 : 250, 160);
    await page.mouse.click(p.x, p.y);
    await sleep(2500);
  }
  const work = (await page.evaluate(() => window.vornuWork)).sort((a, b) => a - b);
  const q = (f) => work[Math.min(work.length - 1, Math.floor(f * work.length))];
  // The browser's clock is coarse (0.1 ms); the mean over many frames is finer than that.
  const mean = work.reduce((a, b) => a + b, 0) / work.length;
  console.log(`game frame work in ${site}: mean ${mean.toFixed(3)} ms, median ${q(0.5).toFixed(1)} ` +
    `ms, 90th percentile ${q(0.9).toFixed(1)} ms over ${work.length} frames`);
  const put = await page.evaluate(() => ({ ...window.vornuPut, shown: window.vornuShown }));
  const shown = Math.max(put.shown, 1);
  console.log(`frames put on the canvas: ${put.shown}; a frame: ${(put.ms / shown).toFixed(3)} ms ` +
    `putting pixels, ${(put.calls / shown).toFixed(1)} rectangles, ` +
    `${Math.round(put.pixels / shown)} of 64000 pixels`);
} finally {
  await browser.close();
  server.kill();
}
