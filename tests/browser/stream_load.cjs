// Load on panel-host serve from one process: a burst of event-stream
// clients and half-open connections, then GET /state timed while they are
// all connected (a figure to read, not a limit), and one stream past the
// server's limit, which must be told so. Needs node --experimental-websocket.
"use strict";
const assert = require("node:assert/strict");
const net = require("node:net");

const streamClients = 200;
const halfOpen = 200;
const stateReads = 20;

// Opens one event stream; resolves with it once its first state came.
function openStream(url, onRefused) {
  return new Promise((resolve, reject) => {
    const socket = new WebSocket(url.replace(/^http/, "ws") + "events");
    socket.onmessage = (message) => {
      for (const { event, data } of JSON.parse(message.data)) {
        if (event === "state") resolve(socket);
        if (event === "refused") onRefused(data.message, socket, resolve);
      }
    };
    socket.onerror = () => reject(new Error("an event stream failed"));
  });
}

// Connections that send half a request and then nothing.
function openHalfOpen(url) {
  const { hostname, port } = new URL(url);
  return Array.from({ length: halfOpen }, () => {
    const socket = net.connect(Number(port), hostname, () => socket.write("GET /state HTTP/1.1\r\nHost: "));
    socket.on("error", () => {});
    return socket;
  });
}

async function timeState(url) {
  const times = [];
  for (let i = 0; i < stateReads; ++i) {
    const start = process.hrtime.bigint();
    const response = await fetch(url + "state");
    await response.json();
    assert.equal(response.status, 200);
    times.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  times.sort((a, b) => a - b);
  return { median: times[times.length >> 1], max: times[times.length - 1] };
}

async function streamLoad(url) {
  const burstStart = Date.now();
  const streams = await Promise.all(Array.from({ length: streamClients }, () => openStream(url, () => {
    throw new Error("a stream was refused below the limit");
  })));
  const burst = Date.now() - burstStart;
  const stale = openHalfOpen(url);
  await new Promise((resolve) => setTimeout(resolve, 200));
  const timing = await timeState(url);
  console.log(`benchmark: ${streamClients} event streams open in ${burst} ms; with them and ${halfOpen} half-open ` +
              `connections, GET /state took ${timing.median.toFixed(1)} ms (median of ${stateReads}), ` +
              `${timing.max.toFixed(1)} ms at most`);

  // Past the limit a stream is told why, and closed.
  let refusal = "";
  for (let extra = 0; extra < 200 && !refusal; ++extra) {
    streams.push(await openStream(url, (message, socket, resolve) => {
      refusal = message;
      resolve(socket);
    }));
  }
  assert.match(refusal, /limit/, "a stream past the limit is told so");
  for (const socket of streams) socket.close();
  for (const socket of stale) socket.destroy();
}

module.exports = { streamLoad };
