// Debian's Firefox for the web checks (browser.py's Firefox): Debian has no geckodriver, so this
// starts Firefox through puppeteer-core, which speaks WebDriver BiDi to it, and does what
// browser.py asks. One JSON object a line each way: {"id", "op", ...} in, {"id", "ok": RESULT}
// or {"id", "error": TEXT} out. puppeteer-core comes from the build's npm install (NODE_PATH).
"use strict";
const readline = require("node:readline");
const puppeteer = require("puppeteer-core");

let browser = null;
let page = null;
const console_ = [];

const ops = {
  async launch({ executablePath, headless, prefs, width, height, scale }) {
    browser = await puppeteer.launch({
      browser: "firefox", executablePath, headless, extraPrefsFirefox: prefs,
      defaultViewport: null,
      args: [`--width=${width}`, `--height=${height + 120}`, "data:text/html,"],
    });
    page = (await browser.pages())[0];
    await page.setViewport({ width, height, deviceScaleFactor: scale });
    page.on("console", (message) => console_.push(`${message.type()}: ${message.text()}`));
    page.on("pageerror", (error) => console_.push(`error: ${error.message}`));
    return { pid: browser.process().pid, version: await browser.version() };
  },
  async goto({ url }) {
    await page.goto(url, { waitUntil: "load" });
    // A window of its own gets the keyboard only once it is in front (Firefox with a window).
    await page.bringToFront();
    return null;
  },
  // The script is a function body ("return ..."), as Selenium's execute_script takes it.
  async evaluate({ script, args }) {
    return page.evaluate((body, values) => new Function(body).apply(null, values), script, args);
  },
  async keys({ actions }) {
    for (const [kind, value] of actions) {
      if (kind === "down")
        await page.keyboard.down(value);
      else if (kind === "up")
        await page.keyboard.up(value);
      else if (kind === "text")
        await page.keyboard.type(value);
      else
        await new Promise((resolve) => setTimeout(resolve, value * 1000));
    }
    return null;
  },
  async click({ x, y }) {
    await page.mouse.click(x, y);
    return null;
  },
  async screenshot({ path }) {
    await page.screenshot({ path });
    return null;
  },
  async console() {
    return console_.splice(0);
  },
  async close() {
    if (browser)
      await browser.close();
    browser = null;
    return null;
  },
};

const lines = readline.createInterface({ input: process.stdin });
let queue = Promise.resolve();
lines.on("line", (line) => {
  const request = JSON.parse(line);
  // One request at a time, in order.
  queue = queue.then(async () => {
    let reply;
    try {
      reply = { id: request.id, ok: (await ops[request.op](request)) ?? null };
    } catch (error) {
      reply = { id: request.id, error: String(error && error.stack || error) };
    }
    process.stdout.write(JSON.stringify(reply) + "\n");
    if (request.op === "close")
      process.exit(0);
  });
});
lines.on("close", () => queue.then(() => ops.close()).finally(() => process.exit(0)));
