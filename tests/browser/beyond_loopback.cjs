// panel-host serve beyond loopback: it listens on an address that exists
// only in a network namespace made here (a veth pair, one end inside), so
// that no traffic leaves this machine's own test network; once on the
// namespace's address, once on every address. Without the token nothing
// works; with it, the page works and keeps it in a cookie; a WebSocket
// upgrade needs the page's own origin as well.
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

// The status a GET gets with these headers (101: the connection upgraded).
function statusOf(url, headers) {
  return new Promise((resolve, reject) => {
    const request = http.get(url, { headers });
    request.on("response", (response) => {
      response.resume();
      resolve(response.statusCode);
    });
    request.on("upgrade", (response, socket) => {
      socket.destroy();
      resolve(response.statusCode);
    });
    request.on("error", reject);
  });
}

// A WebSocket upgrade to /events passes the checks of every request: only
// the page's own origin gets in, and beyond loopback only with the access
// cookie (`cookie`, "" on loopback, where none is asked for).
async function checkUpgrades(url, cookie) {
  const { origin, hostname, port } = new URL(url);
  const upgrade = { Connection: "Upgrade", Upgrade: "websocket", "Sec-WebSocket-Version": "13",
                    "Sec-WebSocket-Key": "dGhlIHNhbXBsZSBub25jZQ==" };
  const cases = [  // [Origin, Host, with the cookie, status]
    ["http://evil.example", undefined, true, 403],
    ["http://evil.example", undefined, false, 403],
    [`http://${hostname}:${Number(port) + 1}`, undefined, true, 403],
    [origin, "evil.example", true, 403],
    [origin, undefined, false, cookie ? 401 : 101],
    [origin, undefined, true, 101],
  ];
  for (const [from, host, withCookie, status] of cases) {
    const sent = withCookie && cookie;
    const headers = { ...upgrade, Origin: from, ...(host ? { Host: host } : {}), ...(sent ? { Cookie: cookie } : {}) };
    assert.equal(await statusOf(`${origin}/events`, headers), status,
                 `an upgrade from ${from}${host ? ` for ${host}` : ""}${sent ? " with the cookie" : ""}`);
  }
}

// startServe(listen, wrap): spawns serve, resolving its printed address.
async function tokenFlow(browser, startServe) {
  const space = makeNamespace();
  if (space.skipped) {
    console.log(`beyond-loopback test skipped: ${space.skipped}`);
    return;
  }
  try {
    for (const host of [space.address, "0.0.0.0"]) await guardedServe(browser, startServe, space, host);
  } finally {
    space.remove();
  }
}

// serve listening on `host` in the namespace: the token, then its cookie.
async function guardedServe(browser, startServe, space, host) {
  const { server, address } = startServe(`${host}:0`, ["ip", "netns", "exec", space.ns]);
  try {
    const printed = await address;
    assert.match(server.output, /^panel-host serve: \S+ \(reachable from the network\); Ctrl-C stops$/m);
    // For every address the machine's name is printed; here only the namespace's address leads there.
    const tokened = new URL(printed);
    tokened.hostname = space.address;
    assert.match(tokened.search, /^\?token=[0-9a-f]{32}$/, "the address printed carries a token");
    // stderr and stdout arrive on separate pipes: give the warning a moment.
    for (let tries = 0; tries < 50 && !/warning: listening beyond loopback/.test(server.errors); ++tries) {
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
    assert.match(server.errors, /warning: listening beyond loopback/);
    const bare = `${tokened.origin}/`;
    for (const path of ["", "state", "?token=0000"]) {
      assert.equal((await fetch(bare + path)).status, 401, `without the token: /${path}`);
    }
    assert.equal(await statusOf(tokened.href, { Host: "elsewhere.example" }), 403, "a foreign Host is refused");

    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(tokened.href);
    assert.equal(page.url(), bare, "the token leaves the address bar for a cookie");
    await page.click('#list-Sources .item[data-value="4"]');
    await page.waitForSelector('#list-Sources .item[data-value="4"][aria-selected="true"]', { timeout: 5000 });
    const cookies = await context.cookies();
    assert.equal(cookies.length, 1);
    assert.equal(cookies[0].httpOnly, true);
    await context.close();
    await checkUpgrades(bare, `${cookies[0].name}=${cookies[0].value}`);
  } finally {
    server.kill("SIGINT");
    await server.ended;
  }
}

module.exports = { tokenFlow, checkUpgrades };
