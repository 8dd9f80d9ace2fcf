// panel-host serve end to end in Debian's chromium: route source 5 to
// destination 7 from the page (partly by keyboard) while recording it, watch
// "Take" flash, see the route and the log, check the page with axe-core (in
// both looks of the flash too), switch Record off and save, play the
// recorded scenario with --check, and twenty tabs in step; a burst of event
// streams and half-open connections beside them; WebSocket upgrades from
// other origins refused; a second serve refused the same port; the token
// beyond loopback; a rebuilt module followed with --watch; two panels on one
// router; Ctrl-C then stops the session cleanly. With SERVE_CORE=1 only the
// core: the page, the actions (recorded and played back), the WebSocket, two
// tabs and Ctrl-C; with SERVE_WRAPPER set, panel-host runs through that
// command (wine for panel-host.exe: scripts/check-windows-archive).
// Usage: node serve_panel.test.cjs PANEL_HOST MODULE LAYOUTS SCREENSHOT
"use strict";
const { spawn, spawnSync } = require("node:child_process");
const fs = require("node:fs");
const path = require("node:path");
const { default: AxeBuilder } = require("@axe-core/playwright");
const assert = require("node:assert/strict");
const { chromium } = require("playwright-core");
const { streamLoad } = require("./stream_load.cjs");
const { tokenFlow, checkUpgrades } = require("./beyond_loopback.cjs");
const { followRebuild } = require("./module_rebuild.cjs");
const { twoPanels } = require("./two_panels.cjs");

const [panelHost, modulePath, layouts, screenshot] = process.argv.slice(2);
const chromiumPath = process.env.CHROMIUM || "/usr/bin/chromium";
const runner = process.env.SERVE_WRAPPER ? [process.env.SERVE_WRAPPER] : [];
const coreOnly = process.env.SERVE_CORE === "1";

// Starts panel-host serve (through `wrapper`, a command that runs it); its
// address resolves with the page address it prints.
function startServe(listen = "127.0.0.1:0", wrapper = [], { module = modulePath, args = [] } = {}) {
  const command = [...wrapper, ...runner, panelHost, "serve", "--listen", listen, "--module", module, "--layouts",
                   layouts, ...args];
  const server = spawn(command[0], command.slice(1), { stdio: ["ignore", "pipe", "pipe"] });
  server.output = "";
  server.errors = "";
  server.stderr.on("data", (chunk) => { server.errors += chunk; });
  const address = new Promise((resolve, reject) => {
    server.stdout.on("data", (chunk) => {
      server.output += chunk;
      const found = /panel-host serve: (http:\/\/[^\s;]+)/.exec(server.output);
      if (found) resolve(found[1]);
    });
    server.on("exit", (code) => reject(new Error(`panel-host serve exited early (${code}):\n${server.output}`)));
  });
  server.ended = new Promise((resolve) => server.on("exit", (code, signal) => resolve({ code, signal })));
  return { server, address };
}

async function openPanel(context, url, foreign) {
  const page = await context.newPage();
  page.on("request", (request) => { if (!request.url().startsWith(url)) foreign.push(request.url()); });
  page.on("console", (message) => { if (message.type() === "error") foreign.push("console: " + message.text()); });
  await page.goto(url);
  await page.locator('#list-Sources .item[data-value="5"]').waitFor();
  return page;
}

function assertNothingSerious(axe, where) {
  const serious = axe.violations.filter((v) => ["serious", "critical"].includes(v.impact));
  assert.deepEqual(serious.map((v) => `${v.id}: ${v.nodes.length} ${v.help}`), [], `axe-core finds nothing serious ${where}`);
}

// Waits until "Take" shows `look`, then holds the page in it (later states
// wait for releaseState()), so that an analysis slower than the flash sees
// one look.
function holdLook(page, look) {
  return page.evaluate((wanted) => new Promise((resolve, reject) => {
    const live = handlers.state;
    let held = null;
    setTimeout(() => { if (!held) reject(new Error(`"Take" never showed ${wanted}`)); }, 5000);
    handlers.state = (data) => {
      if (held) {
        held = data;
        return;
      }
      live(data);
      if (document.querySelector("#button-Take").dataset.statesheet === wanted) {
        held = data;
        window.releaseState = () => { handlers.state = live; live(held); };
        resolve();
      }
    };
  }), look);
}

// While "Take" flashes (the page held in one look) the status line is at its longest: from 360 px up
// nothing in the header may leave it (a control that floats out lands on the
// light page, white on white), and axe-core finds nothing serious in it at
// 1280 and 480 px (the whole page it checks at 1280 px below).
async function checkHeader(page) {
  for (const width of [1280, 800, 480, 360]) {
    await page.setViewportSize({ width, height: 1000 });
    const outside = await page.evaluate(() => {
      const header = document.querySelector("header").getBoundingClientRect();
      return [...document.querySelectorAll("header *")]
        .filter((element) => {
          const box = element.getBoundingClientRect();
          return box.width > 0 && (box.left < header.left || box.right > header.right || box.top < header.top ||
                                   box.bottom > header.bottom);
        })
        .map((element) => element.id || element.tagName.toLowerCase());
    });
    assert.deepEqual(outside, [], `nothing leaves the header at ${width} px`);
    if (width === 1280 || width === 480) {
      const axe = await new AxeBuilder({ page }).include("header").analyze();
      assertNothingSerious(axe, `in the header while "Take" flashes at ${width} px`);
    }
  }
  await page.setViewportSize({ width: 1280, height: 1000 });
}

// axe-core on the panel in each look of the flashing "Take", each in a flash
// of its own (choosing the source again starts one).
async function checkLooks(page) {
  for (const look of ["QF_TakeHigh", "QF_TakeLow"]) {
    await page.click('#list-Sources .item[data-value="5"]');
    await holdLook(page, look);
    const axe = await new AxeBuilder({ page }).include("#panel").analyze();
    if (look === "QF_TakeHigh") await checkHeader(page);
    await page.evaluate(() => releaseState());
    assertNothingSerious(axe, `in the look ${look}`);
  }
}

async function main() {
  const { server, address } = startServe();
  const url = await address;
  const browser = await chromium.launch({
    executablePath: chromiumPath,
    args: process.getuid && process.getuid() === 0 ? ["--no-sandbox"] : [],
  });
  let stopped = false;
  try {
    const context = await browser.newContext({ viewport: { width: 1280, height: 1000 } });
    const foreign = [];
    const page = await openPanel(context, url, foreign);
    const take = page.locator("#button-Take");
    assert.equal(await take.isDisabled(), true, "Take starts disabled");
    await page.check("#record");

    // Keyboard: into the list, down to the fifth source, Enter chooses it.
    await page.focus('#list-Sources .item[data-value="1"]');
    for (let i = 0; i < 4; ++i) await page.keyboard.press("ArrowDown");
    await page.keyboard.press("Enter");
    await page.click('#list-Destinations .item[data-value="7"]');
    await page.waitForSelector("#button-Take:not([disabled])", { timeout: 2000 });
    const sheet = await take.getAttribute("data-statesheet");
    await page.waitForFunction((before) => document.querySelector("#button-Take").dataset.statesheet !== before,
                               sheet, { timeout: 2000 });
    await page.screenshot({ path: screenshot, fullPage: true });

    await take.focus();
    await page.keyboard.press("Enter");
    await page.waitForSelector('#route-1-7[data-source="5"]', { timeout: 5000 });
    assert.equal(await page.locator("#button-Take + .look").textContent(), "", "a disabled Take shows no look");
    await page.click('#list-Destinations .item[data-value="7"]');
    await page.waitForFunction(() => document.querySelector("#label-Old").textContent === "5", null, { timeout: 5000 });
    await page.waitForFunction(() => document.querySelector("#log").textContent.includes("RC 1 5 7 ',' 0"), null,
                               { timeout: 5000 });

    if (!coreOnly) assertNothingSerious(await new AxeBuilder({ page }).analyze(), "on the page");

    await page.uncheck("#record");
    assert.equal(await page.isDisabled("#save"), false, "the recording is kept after Record is off");
    const [download] = await Promise.all([page.waitForEvent("download"), page.click("#save")]);
    const scenario = path.join(path.dirname(screenshot), "recorded.scenario");
    await download.saveAs(scenario);
    const [program, ...before] = [...runner, panelHost];
    const played = spawnSync(program, [...before, "play", "--check", "--module", modulePath, "--layouts", layouts,
                                       scenario], { encoding: "utf8" });
    assert.match(fs.readFileSync(scenario, "utf8"), /^press Take\nexpect TP 'statesheet=QF_TakeHigh' '1' 'Take'$/m);
    assert.equal(played.status, 0, `the recorded scenario passes play --check:\n${played.stdout}${played.stderr}`);
    if (!coreOnly) await checkLooks(page);

    // A second tab shows the same state, and follows what the first one does.
    const second = await openPanel(context, url, foreign);
    await second.waitForSelector('#route-1-7[data-source="5"]', { timeout: 5000 });
    assert.equal(await second.locator("#label-Old").textContent(), "5");
    assert.match(await second.locator("#log").textContent(), /RC 1 5 7 ',' 0/);
    await page.click("#button-Clear");
    await second.waitForFunction(() => document.querySelector("#label-Old").textContent === "-", null,
                                 { timeout: 5000 });

    if (!coreOnly) await beyondTwoTabs(context, url, page, second, foreign);
    assert.deepEqual(foreign, [], "the page loads nothing from elsewhere and logs no errors");

    server.kill("SIGINT");
    stopped = true;
    await second.waitForSelector("#ended", { state: "visible", timeout: 10000 });
  } finally {
    await browser.close();
    if (!stopped) {
      server.kill("SIGINT");
    }
  }
  const ended = await server.ended;
  assert.deepEqual(ended, { code: 0, signal: null }, "Ctrl-C stops panel-host serve cleanly");
  assert.match(server.output, /send\(0\) AS -> null/, "the script was deleted and said so");
}

// Twenty tabs, load beside them, a second serve on the port, the token
// beyond loopback, a rebuilt module and two panels on one router.
async function beyondTwoTabs(context, url, page, second, foreign) {
  // Twenty tabs in one browser all stay live.
  const tabs = [page, second];
  while (tabs.length < 20) tabs.push(await openPanel(context, url, foreign));
  await page.click('#list-Sources .item[data-value="3"]');
  for (const tab of tabs) {
    await tab.waitForSelector('#list-Sources .item[data-value="3"][aria-selected="true"]', { timeout: 5000 });
  }
  await streamLoad(url);
  await checkUpgrades(url, "");
  for (const tab of tabs.slice(2)) await tab.close();
  assert.deepEqual(foreign, [], "the page loads nothing from elsewhere and logs no errors");

  const rival = startServe(new URL(url).host);
  rival.address.catch(() => {});
  const rivalEnd = await rival.server.ended;
  assert.deepEqual(rivalEnd, { code: 2, signal: null }, "a port in use is refused");
  assert.match(rival.server.errors, /^error: cannot listen on .*in use; choose another port with --listen .*\n$/,
               "in one line, with what to do");
  assert.equal(rival.server.output, "", "before the module loads");

  await tokenFlow(context.browser(), startServe);
  await followRebuild(context.browser(), startServe, modulePath);
  await twoPanels(context.browser(), startServe);
}

main().then(() => console.log("serve panel test passed"), (error) => {
  console.error(error);
  process.exit(1);
});
