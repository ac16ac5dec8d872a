// Screenshots of the page for looking at by hand: node tests/web/look.mjs URL OUT_PREFIX [keys]
import puppeteer from "puppeteer-core";
import { mkdtempSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
const [url, out, keys = "0"] = process.argv.slice(2);
const browser = await puppeteer.launch({ executablePath: "/usr/bin/chromium", headless: true,
  userDataDir: mkdtempSync(join(tmpdir(), "vornu-look-")),
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync"] });
const page = await browser.newPage();
page.on("console", (m) => console.log("console." + m.type() + ": " + m.text()));
page.on("pageerror", (e) => console.log("pageerror: " + e.message));
await page.setViewport({ width: 1000, height: 700 });
await page.goto(url);
await new Promise((r) => setTimeout(r, 300));
await page.screenshot({ path: out + "-loading.png" });
await page.waitForFunction(() => window.vornuPage.state !== "loading", { timeout: 60000 });
await page.screenshot({ path: out + "-ready.png" });
await page.click("#start");
await new Promise((r) => setTimeout(r, 3000));
await page.screenshot({ path: out + "-title.png" });
for (let i = 0; i < Number(keys); ++i) {
  await page.keyboard.press("x");
  await new Promise((r) => setTimeout(r, 700));
}
await new Promise((r) => setTimeout(r, 1500));
await page.screenshot({ path: out + "-after-keys.png" });
console.log(JSON.stringify(await page.evaluate(() => window.vornuPage)));
await browser.close();
