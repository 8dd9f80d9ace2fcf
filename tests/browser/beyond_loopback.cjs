// panel-host serve beyond loopback: it listens on an address that exists
// only in a network namespace made here (a veth pair, one end inside), so
// that no traffic leaves this machine's own test network. Without the
// token nothing works; with it, the page works and keeps it in a cookie.
"use strict";
const { execFileSync } = require("node:child_process");
const assert = require("node:assert/strict");
const http = require("node:http");

// Makes the namespace; returns its name and the address inside, or null
// with the reason it cannot be made here.
function makeNamespace() {
  const tag = `ph${process.pid % 100000}`;
  const octet = (process.pid % 250) + 1;
  const names = { ns: `${tag}ns`, outside: `${tag}a`, inside: `${tag}b`,
                  host: `10.213.${octet}.1`, address: `10.213.${octet}.2` };
  const ip = (...args) => execFileSync("ip", args, { stdio: ["ignore", "ignore", "pipe"] });
  try {
    ip("netns", "add", names.ns);
  } catch (error) {
    return { skipped: `no network namespace can be made here (${String(error.stderr || error.message).trim()})` };
  }
  try {
    ip("link", "add", names.outside, "type", "veth", "peer", "name", names.inside);
    ip("link", "set", names.inside, "netns", names.ns);
    ip("addr", "add", `${names.host}/30`, "dev", names.outside);
    ip("link", "set", names.outside, "up");
    ip("-n", names.ns, "addr", "add", `${names.address}/30`, "dev", names.inside);
    ip("-n", names.ns, "link", "set", names.inside, "up");
  } catch (error) {
    removeNamespace(names);
    return { skipped: `the namespace's veth pair cannot be made (${String(error.stderr || error.message).trim()})` };
  }
  names.remove = () => removeNamespace(names);
  return names;
}

function removeNamespace(names) {
  for (const args of [["link", "del", names.outside], ["netns", "del", names.ns]]) {
    try { execFileSync("ip", args, { stdio: "ignore" }); } catch { /* already gone */ }
  }
}

// A GET with a Host header of our choosing; resolves with the status.
function getWithHost(url, host) {
  return new Promise((resolve, reject) => {
    const request = http.get(url, { headers: { Host: host } }, (response) => {
      response.resume();
      resolve(response.statusCode);
    });
    request.on("error", reject);
  });
}

// startServe(listen, wrap): spawns serve, resolving its printed address.
async function tokenFlow(browser, startServe) {
  const space = makeNamespace();
  if (space.skipped) {
    console.log(`beyond-loopback test skipped: ${space.skipped}`);
    return;
  }
  const { server, address } = startServe(`${space.address}:0`, ["ip", "netns", "exec", space.ns]);
  try {
    const printed = await address;
    const tokened = new URL(printed);
    assert.match(tokened.search, /^\?token=[0-9a-f]{32}$/, "the address printed carries a token");
    // Standard error is another pipe: its line may come after the address.
    for (let i = 0; i < 100 && !server.errors; ++i) await new Promise((resolve) => setTimeout(resolve, 20));
    assert.match(server.errors, /warning: listening beyond loopback/);
    const bare = `${tokened.origin}/`;
    for (const path of ["", "state", "?token=0000"]) {
      assert.equal((await fetch(bare + path)).status, 401, `without the token: /${path}`);
    }
    assert.equal(await getWithHost(printed, "elsewhere.example"), 403, "a foreign Host is refused");

    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(printed);
    assert.equal(page.url(), bare, "the token leaves the address bar for a cookie");
    await page.click('#list-Sources .item[data-value="4"]');
    await page.waitForSelector('#list-Sources .item[data-value="4"][aria-selected="true"]', { timeout: 5000 });
    const cookies = await context.cookies();
    assert.equal(cookies.length, 1);
    assert.equal(cookies[0].httpOnly, true);
    await context.close();
  } finally {
    server.kill("SIGINT");
    await server.ended;
    space.remove();
  }
}

module.exports = { tokenFlow };
