// What a walking step costs in the browser: the real page in headless Chromium, Pukki walked
// back and forth in the kitchen for 10 s, and per frame put on the canvas the page's main
// thread time, the time spent putting pixels on the canvas and the pixels put.
//   node bench/web_walk.mjs SITE_DIR [PORT]      (puppeteer-core from tests/web: npm ci there)
import { spawn } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const require = createRequire(join(here, "../tests/web/package.json"));
const puppeteer = require("puppeteer-core");
const site = resolve(process.argv[2] || "build-web/site");
const port = process.argv[3] || "0";
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

const server = spawn(process.execPath, [join(here, "../web/serve.mjs"), site, port],
  { stdio: ["ignore", "pipe", "inherit"] });
const address = await new Promise((ok, fail) => {
  let out = "";
  server.stdout.on("data", (d) => {
    out += d;
    const m = /serving (http:\/\/\S+?)\/?\s/.exec(out);
    if (m) ok(m[1]);
  });
  server.on("exit", (code) => fail(new Error("the server stopped: " + code)));
});
const profile = mkdtempSync(join(tmpdir(), "vornu-chromium-"));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: true,
  userDataDir: profile,
  args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--window-size=1000,700",
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding"],
});
try {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.walk = { calls: 0, pixels: 0, ms: 0 };
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...a) {
      const t = performance.now();
      const r = put.apply(this, a);
      window.walk.ms += performance.now() - t;
      ++window.walk.calls;
      window.walk.pixels += a.length >= 7 ? a[5] * a[6] : a[0].width * a[0].height;
      return r;
    };
  });
  await page.setViewport({ width: 1000, height: 700 });
  await page.goto(address + "/index.html", { waitUntil: "load" });
  await page.waitForFunction(() => window.vornuPage && window.vornuPage.state !== "loading",
    { timeout: 120000 });
  await page.click("#start");
  await sleep(3000);
  for (let i = 0; i < 4; ++i) {
    await page.keyboard.press("x");
    await sleep(700);
  }
  await sleep(2000);
  const point = (x, y) => page.evaluate((x, y) => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return { x: r.left + ((x + 0.5) * r.width) / 320, y: r.top + ((y + 0.5) * r.height) / 200 };
  }, x, y);
  const frames = () => page.evaluate(() => {
    let n = 0;
    return window.vornuFrames ?? n;
  });
  await page.evaluate(() => {
    window.vornuFrames = 0;
    const old = Module.onFrame;
    Module.onFrame = () => { ++window.vornuFrames; if (old) old(); };
  });
  const m0 = await page.metrics(), w0 = await page.evaluate(() => ({ ...window.walk }));
  const f0 = await frames(), t0 = Date.now();
  const ends = [60, 250];
  for (let i = 0; Date.now() - t0 < 10000; ++i) {
    const p = await point(ends[i % 2], 165);
    await page.mouse.click(p.x, p.y);
    await sleep(2500);
  }
  const m1 = await page.metrics(), w1 = await page.evaluate(() => ({ ...window.walk }));
  const f1 = await frames(), secs = (Date.now() - t0) / 1000;
  const n = Math.max(f1 - f0, 1);
  console.log(`walking ${secs.toFixed(1)} s: ${n} frames put on the canvas ` +
    `(${(n / secs).toFixed(1)} a second)`);
  console.log(`  main thread: ${(100 * (m1.TaskDuration - m0.TaskDuration) / secs).toFixed(1)} % ` +
    `of a core, ${((1000 * (m1.TaskDuration - m0.TaskDuration)) / n).toFixed(2)} ms a frame ` +
    `(script ${((1000 * (m1.ScriptDuration - m0.ScriptDuration)) / n).toFixed(2)} ms)`);
  console.log(`  putImageData: ${((w1.ms - w0.ms) / n).toFixed(3)} ms a frame, ` +
    `${((w1.calls - w0.calls) / n).toFixed(1)} calls, ` +
    `${Math.round((w1.pixels - w0.pixels) / n)} pixels a frame`);
} finally {
  await browser.close();
  server.kill();
  rmSync(profile, { recursive: true, force: true });
}
