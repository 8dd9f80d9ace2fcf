// The picture of docs/serve.png (see scripts/serve-screenshot): serves the
// panel, chooses source 5 and destination 7 and takes the page once "Take"
// shows its first flash.
// Usage: node serve-screenshot.cjs PANEL_HOST MODULE LAYOUTS OUTPUT
"use strict";
const { spawn } = require("node:child_process");
const { chromium } = require("playwright-core");

const [panelHost, modulePath, layouts, output] = process.argv.slice(2);

async function main() {
  const server = spawn(panelHost, ["serve", "--listen", "127.0.0.1:0", "--module", modulePath, "--layouts", layouts],
                       { stdio: ["ignore", "pipe", "inherit"] });
  const url = await new Promise((resolve, reject) => {
    let printed = "";
    server.stdout.on("data", (chunk) => {
      printed += chunk;
      const found = /panel-host serve: (http:\/\/[^\s;]+)/.exec(printed);
      if (found) resolve(found[1]);
    });
    server.on("exit", (code) => reject(new Error(`panel-host serve exited (${code})`)));
  });
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM,
    args: process.getuid && process.getuid() === 0 ? ["--no-sandbox"] : [],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 1280, height: 1000 } });
    await page.goto(url);
    await page.check("#record");
    await page.click('#list-Sources .item[data-value="5"]');
    await page.click('#list-Destinations .item[data-value="7"]');
    await page.waitForSelector("#button-Take:not([disabled])", { timeout: 5000 });
    const first = await page.locator("#button-Take").getAttribute("data-statesheet");
    await page.waitForFunction((before) => document.querySelector("#button-Take").dataset.statesheet !== before,
                               first, { timeout: 5000 });
    await page.screenshot({ path: output, fullPage: true });
  } finally {
    await browser.close();
    server.kill("SIGINT");
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
