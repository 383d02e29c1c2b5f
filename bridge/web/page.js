// The control page: faders and buttons post to the bridge over a WebSocket,
// and every value the bridge reports, from this page or any other source,
// moves the matching fader, unless a finger or the mouse is holding it.
"use strict";

const token = new URLSearchParams(location.search).get("token") || "";
const link = document.getElementById("link");
const faders = new Map();  // input number -> { range, output, held }
let socket = null;
let retry = 500;

function send(text) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(text);
}

function show(fader, level) {
  fader.range.value = level;
  fader.range.style.setProperty("--fill", (level * 100).toFixed(1) + "%");
}

// Sends at most one value per fader and animation frame; the last one always goes.
function post(input, level) {
  const fader = faders.get(input);
  show(fader, level);
  fader.pending = level;
  if (fader.scheduled) return;
  fader.scheduled = true;
  requestAnimationFrame(() => {
    fader.scheduled = false;
    send("set " + input + " " + fader.pending.toFixed(4));
  });
}

// The level under a pointer, the thumb's half width kept off both ends.
function levelAt(range, clientX) {
  const box = range.getBoundingClientRect();
  const thumb = 44;
  const x = (clientX - box.left - thumb / 2) / (box.width - thumb);
  return Math.min(1, Math.max(0, x));
}

function setUpFader(section) {
  const input = Number(section.dataset.input);
  const range = section.querySelector("input[type=range]");
  const fader = { range, output: section.querySelector("output"), held: new Set(), pending: 0, scheduled: false };
  faders.set(input, fader);
  // Pointer events: touch, pen and mouse alike, each finger on its own fader.
  range.addEventListener("pointerdown", (e) => {
    e.preventDefault();
    range.setPointerCapture(e.pointerId);
    fader.held.add(e.pointerId);
    post(input, levelAt(range, e.clientX));
  });
  range.addEventListener("pointermove", (e) => {
    if (fader.held.has(e.pointerId)) post(input, levelAt(range, e.clientX));
  });
  for (const end of ["pointerup", "pointercancel", "lostpointercapture"])
    range.addEventListener(end, (e) => fader.held.delete(e.pointerId));
  // Keyboards and assistive technology move the range itself.
  range.addEventListener("input", () => post(input, Number(range.value)));
  for (const button of section.querySelectorAll("button[data-to]"))
    button.addEventListener("click", () => post(input, Number(button.dataset.to)));
}

function received(text) {
  const [word, input, level, value] = text.split(" ");
  const fader = faders.get(Number(input));
  if (word !== "value" || !fader) return;
  fader.output.textContent = Math.round(Number(value) / 327.65) + " %";
  if (fader.held.size === 0) show(fader, Number(level));
}

function connect() {
  const scheme = location.protocol === "https:" ? "wss://" : "ws://";
  socket = new WebSocket(scheme + location.host + "/ws?token=" + encodeURIComponent(token));
  socket.onopen = () => {
    retry = 500;
    link.textContent = "connected";
    link.classList.add("up");
  };
  socket.onmessage = (e) => {
    if (typeof e.data === "string") for (const line of e.data.split("\n")) received(line);
  };
  socket.onclose = () => {
    link.textContent = "reconnecting…";
    link.classList.remove("up");
    setTimeout(connect, retry);
    retry = Math.min(retry * 2, 8000);
  };
}

for (const section of document.querySelectorAll(".fader")) setUpFader(section);
for (const button of document.querySelectorAll("button[data-transport]"))
  button.addEventListener("click", () => send(button.dataset.transport));
connect();
