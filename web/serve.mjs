// Serves a folder on the loopback interface for playing and testing the browser build:
//   node web/serve.mjs FOLDER [PORT] [--log]     (PORT 0 or missing: any free port)
// Prints "serving http://127.0.0.1:PORT/" once it listens; stops on SIGINT or SIGTERM. Like the
// plainest static servers it compresses nothing and lets the browser revalidate what it has
// (Last-Modified, ETag). With --log it prints "sent STATUS BYTES PATH" for every response,
// BYTES counting the body only.
import { createServer } from "node:http";
import { createReadStream, statSync } from "node:fs";
import { extname, join, normalize, resolve, sep } from "node:path";

const root = resolve(process.argv[2] || ".");
const port = Number(process.argv[3] || 0);
const log = process.argv.includes("--log");
const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8", ".css": "text/css; charset=utf-8",
  ".wasm": "application/wasm", ".data": "application/octet-stream", ".png": "image/png",
  ".json": "application/json", ".ico": "image/x-icon", ".ogg": "audio/ogg",
  ".webmanifest": "application/manifest+json",
};

const server = createServer((req, res) => {
  let path;
  try {
    path = decodeURIComponent(new URL("http://localhost" + req.url).pathname);
  } catch {
    res.writeHead(400).end("bad request");
    return;
  }
  if (path.endsWith("/")) path += "index.html";
  const file = normalize(join(root, path));
  if (file !== root && !file.startsWith(root + sep)) {
    res.writeHead(403).end("forbidden");
    return;
  }
  let st;
  try {
    st = statSync(file);
  } catch {
    res.writeHead(404, { "Content-Type": "text/plain" }).end("not found: " + path);
    return;
  }
  if (!st.isFile()) {
    res.writeHead(404, { "Content-Type": "text/plain" }).end("not found: " + path);
    return;
  }
  const tag = `"${st.size.toString(16)}-${Math.floor(st.mtimeMs).toString(16)}"`;
  const modified = new Date(Math.floor(st.mtimeMs / 1000) * 1000);
  const headers = {
    "Content-Type": types[extname(file)] || "application/octet-stream",
    "Cache-Control": "no-cache",
    "Last-Modified": modified.toUTCString(),
    ETag: tag,
  };
  const since = Date.parse(req.headers["if-modified-since"] || "");
  const unchanged = req.headers["if-none-match"] !== undefined
    ? req.headers["if-none-match"].split(/\s*,\s*/).includes(tag)
    : !Number.isNaN(since) && modified.getTime() <= since;
  if (unchanged) {
    res.writeHead(304, headers).end();
    if (log) console.log(`sent 304 0 ${path}`);
    return;
  }
  res.writeHead(200, { ...headers, "Content-Length": st.size });
  if (req.method === "HEAD") {
    res.end();
    return;
  }
  createReadStream(file).pipe(res);
  if (log) res.on("finish", () => console.log(`sent 200 ${st.size} ${path}`));
});

server.listen(port, "127.0.0.1", () => {
  console.log(`serving http://127.0.0.1:${server.address().port}/`);
});
for (const signal of ["SIGINT", "SIGTERM"]) process.on(signal, () => server.close(() => process.exit(0)));
