// Two panels on one router (serve --panels 2), with names in the host's
// code page: a route made on the first panel raises its tally on the second,
// which shows the new source as "Old"; the page shows the names decoded.
"use strict";
const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");

// The routing panel's router, with source 5 named in Windows-1252 (the
// default code page): the host's bytes for it are "Caf\xe9 5".
function writeRouter() {
  const names = (what) => Array.from({ length: 64 }, (_, i) => (what === "Source" && i === 4 ? "Café 5" : `${what} ${i + 1}`));
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "two-panels-")), "router.json");
  fs.writeFileSync(file, JSON.stringify({
    devices: [{ name: "B4 Audio Router", number: 1, sources: names("Source"), destinations: names("Destination"),
                routes: Array.from({ length: 64 }, (_, i) => i + 1) }],
  }));
  return file;
}

const textOf = (page, id) => page.evaluate((which) => document.getElementById(which).textContent, id);

async function twoPanels(browser, startServe) {
  const router = writeRouter();
  const { server, address } = startServe("127.0.0.1:0", [], { args: ["--panels", "2", "--router", router] });
  try {
    const page = await browser.newPage();
    await page.goto(await address);
    await page.locator('#p2-list-Destinations .item[data-value="7"]').waitFor();
    assert.equal(await page.locator("#panel-2 h3").textContent(), "Panel 2");
    assert.match(await page.locator('#list-Sources .item[data-value="5"]').textContent(), /Café 5$/);

    await page.click('#p2-list-Destinations .item[data-value="7"]');
    await page.waitForFunction(() => document.getElementById("p2-label-Old").textContent === "7");
    await page.click('#list-Sources .item[data-value="5"]');
    await page.waitForFunction(() => document.getElementById("label-NewSrcName").textContent === "Café 5");
    await page.click('#list-Destinations .item[data-value="7"]');
    await page.waitForSelector("#button-Take:not([disabled])", { timeout: 2000 });
    assert.equal(await page.locator("#p2-button-Take").isDisabled(), true, "the second panel is not armed");
    await page.click("#button-Take");
    await page.waitForFunction(() => document.getElementById("p2-label-Old").textContent === "5", null,
                               { timeout: 5000 });
    assert.equal(await textOf(page, "p2-label-OldSrcName"), "Café 5", "the tally's text, decoded");
    assert.equal(await textOf(page, "label-Old"), "-", "the first panel was reset by its Take");
    const log = await textOf(page, "log");
    assert.match(log, /notify\(1\) @2 tally device 1 index 7 value 5 text "Café 5"/);
    assert.match(log, /send\(0\) TP 'text=Café 5' '1' 'OldSrcName' -> null/);
    await page.close();
  } finally {
    server.kill("SIGINT");
  }
  const ended = await server.ended;
  assert.deepEqual(ended, { code: 0, signal: null }, "the two-panel session stops cleanly");
  assert.match(server.output, /send\(0\) AS -> null[^]*send\(0\) AS -> null/, "both scripts were deleted");
}

module.exports = { twoPanels };
