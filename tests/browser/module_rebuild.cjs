// panel-host serve --watch follows a rebuilt module: it serves a copy of the
// module, which is then renamed over (the page says it reloaded, and the
// operator line was replayed), replaced by a file that is no module (the
// page shows the error, serve waits, and stays so while a reload begins)
// and rewritten in place (it recovers).
"use strict";
const assert = require("node:assert/strict");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");

// startServe(listen, wrap, {module, args}): spawns serve, resolving its printed address.
async function followRebuild(browser, startServe, modulePath) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "serve-watch-"));
  const served = path.join(folder, "module.so");
  const renamedOver = (write) => {
    const next = path.join(folder, "next.so");
    write(next);
    fs.renameSync(next, served);
  };
  fs.copyFileSync(modulePath, served);
  const { server, address } = startServe("127.0.0.1:0", [], { module: served, args: ["--watch"] });
  const page = await browser.newPage();
  const chosenFive = () => page.waitForFunction(() => document.querySelector("#label-New").textContent === "5",
                                                 null, { timeout: 5000 });
  try {
    await page.goto(await address);
    await page.click('#list-Sources .item[data-value="5"]');
    await chosenFive();
    const notice = (failed, text) =>
      page.waitForFunction(([wanted, expected]) => {
        const banner = document.querySelector("#notice");
        return banner.classList.contains("failed") === wanted && banner.textContent.includes(expected);
      }, [failed, text], { timeout: 15000 });

    renamedOver((next) => fs.copyFileSync(modulePath, next));
    await notice(false, "reloaded the module");
    await chosenFive();  // replayed
    assert.match(server.output, /changed; reloading it[^]*send\(0\) AS -> null[^]*reloaded the module/,
                 "the old script was deleted before the new module was loaded");

    renamedOver((next) => fs.writeFileSync(next, "not a module\n"));
    await notice(true, "waiting for the next rebuild");
    assert.match(server.errors, /^error: module .*not a shared library/m);
    // The notice that a reload has begun (as serve sends it) leaves the page
    // broken until the new session answers.
    const during = await page.evaluate(() => {
      handlers.notice({ message: "the module file changed; reloading it", failed: false, reloading: true });
      return [document.querySelector("#status").textContent, document.querySelector("#button-Clear").disabled];
    });
    assert.match(during[0], /waiting for a rebuild$/);
    assert.equal(during[1], true, "no action is offered while the session is broken");

    fs.copyFileSync(modulePath, served);
    await notice(false, "reloaded the module");
    await chosenFive();
    assert.match(await page.locator("#status").textContent(), /live$/, "the new session is live");
  } finally {
    await page.close();
    server.kill("SIGINT");
  }
  assert.deepEqual(await server.ended, { code: 0, signal: null }, "serve --watch stops cleanly");
  fs.rmSync(folder, { recursive: true, force: true });
}

module.exports = { followRebuild };
