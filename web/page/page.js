// The page around the show: loads the show folder into the program's in-memory file system,
// offers the setup dialog's choices, starts the show on the viewer's click (a page may only
// play sound after one), plays the soundtrack in step with the demo clock, hands key events
// to the show and shows its message boxes.
//
// Query parameters, for tests and benchmarks: fps=N (the virtual clock, silent, as --fps),
// mode=WxH, depth=16|32, until=MS, stats, autostart (no click needed; no sound then).
'use strict';

const query = new URLSearchParams(location.search);
const hooks = window.tolvekHooks || {};
const pageStart = performance.now();

// The picture size: the chosen mode, or the window's (the screen's, for full screen) own size
// in device pixels, made no wider than 16:9 (the show's picture; taller windows get the show's
// bars) and within the sizes the show plays at.
function pictureSize(mode, fullscreen) {
  const fixed = /^(\d+)x(\d+)$/.exec(mode || '');
  if (fixed) return [Number(fixed[1]), Number(fixed[2])];
  const ratio = window.devicePixelRatio || 1;
  let height = Math.round((fullscreen ? screen.height : window.innerHeight) * ratio);
  let width = Math.round((fullscreen ? screen.width : window.innerWidth) * ratio);
  width = Math.min(width, Math.floor((height * 16) / 9));
  const scale = Math.min(1, 3840 / width, 2160 / height);
  width = Math.max(320, Math.floor(width * scale));
  height = Math.max(240, Math.floor(height * scale));
  return [width, height];
}

// The soundtrack, rendered ahead from the module, started when the script asks for the song
// and kept within a few milliseconds of the demo clock: if the audio clock and the page's
// clock drift apart by more than 40 ms the sound is taken up again where the clock is.
const soundtrack = {
  context: null,
  buffer: null,
  source: null,
  startedAt: null,  // page time at which the song started
  paused: false,    // held by the author's pause
  heldMs: 0,        // the song's position while held
  contextStart: 0,  // audio time at which the song's first sample plays
  ready() { return this.context !== null; },
  open() {
    this.context = new (window.AudioContext || window.webkitAudioContext)();
    fetch('soundtrack.ogg')
      .then((r) => r.arrayBuffer())
      .then((data) => this.context.decodeAudioData(data))
      .then((buffer) => { this.buffer = buffer; this.play(); })
      .catch((e) => console.warn('tolvek: no soundtrack:', e));
    setInterval(() => this.keepInStep(), 1000);
  },
  start() {
    this.startedAt = performance.now();
    this.play();
  },
  play() {
    if (!this.buffer || this.startedAt === null || this.source || this.paused) return;
    const offset = (performance.now() - this.startedAt) / 1000;
    if (offset >= this.buffer.duration) return;
    const source = this.context.createBufferSource();
    source.buffer = this.buffer;
    source.connect(this.context.destination);
    source.start(0, offset);
    this.source = source;
    this.contextStart = this.context.currentTime - offset;
  },
  stop() {
    this.silence();
    this.startedAt = null;
  },
  silence() {
    if (this.source) this.source.stop();
    this.source = null;
  },
  // The author's jumps and pause: the song taken up at `ms`, or held where it is.
  seek(ms) {
    this.startedAt = performance.now() - ms;
    this.heldMs = ms;
    this.silence();
    this.play();
  },
  pause(held) {
    if (held === this.paused || this.startedAt === null) return;
    if (held) this.heldMs = performance.now() - this.startedAt;
    else this.startedAt = performance.now() - this.heldMs;
    this.paused = held;
    if (held) this.silence();
    else this.play();
  },
  positionMs() {
    if (this.paused) return this.heldMs;
    return this.source ? (this.context.currentTime - this.contextStart) * 1000 : -1;
  },
  keepInStep() {
    if (!this.source || this.paused) return;
    const drift = this.positionMs() - (performance.now() - this.startedAt);
    if (Math.abs(drift) <= 40) return;
    this.source.stop();
    this.source = null;
    this.play();
  },
};

// A fresh turn of the browser's event loop, without the delay timers have.
const channel = new MessageChannel();
const waiting = [];
channel.port1.onmessage = () => waiting.shift()();

function showMessage(caption, text) {
  const box = document.createElement('div');
  box.className = 'message';
  box.innerHTML = '<b></b><span></span>';
  box.firstChild.textContent = caption;
  box.lastChild.textContent = text;
  document.getElementById('messages').append(box);
  setTimeout(() => box.remove(), 8000);
}

var Module = {
  canvas: document.getElementById('canvas'),
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
  soundtrack,
  showMessageBox: (caption, text) => showMessage(caption, text),
  yieldNow: (resolve) => { waiting.push(resolve); channel.port2.postMessage(0); },
  onFrame: (index, demoMs, sceneState) => {
    if (sceneState >= 0 && Module.firstShowFrameMs === undefined) Module.firstShowFrameMs = performance.now() - pageStart;
    if (hooks.onFrame) hooks.onFrame(index, demoMs, sceneState);
  },
  onShowEnd: (code, report) => {
    soundtrack.stop();
    document.getElementById('end').hidden = false;
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    if (hooks.onShowEnd) hooks.onShowEnd(code, report);
  },
  onRuntimeInitialized: () => loadShow(),
};

const status = (text) => { document.getElementById('status').textContent = text; };

// The show folder into /show, which becomes the working directory.
async function loadShow() {
  try {
    const list = (await (await fetch('show-files.txt')).text()).split('\n').filter((f) => f);
    let done = 0;
    const next = async () => {
      while (list.length) {
        const file = list.shift();
        const response = await fetch('show/' + file.split('/').map(encodeURIComponent).join('/'));
        if (!response.ok) throw new Error(file + ': ' + response.status);
        const path = '/show/' + file;
        Module.FS.mkdirTree(path.substring(0, path.lastIndexOf('/')));
        Module.FS.writeFile(path, new Uint8Array(await response.arrayBuffer()));
        status('Loading the show: ' + ++done + ' files');
      }
    };
    await Promise.all([next(), next(), next(), next()]);
    Module.FS.chdir('/show');
    Module.showLoadedMs = performance.now() - pageStart;
    status('');
    const play = document.getElementById('play');
    play.textContent = 'Play';
    play.disabled = false;
    if (query.has('autostart')) start();
  } catch (e) {
    status('The show could not be loaded: ' + e.message);
  }
}

function start() {
  const form = document.getElementById('options');
  const mode = query.get('mode') || form.elements.mode.value;
  const fullscreen = form.elements.fullscreen.checked;
  const [width, height] = pictureSize(mode, fullscreen);
  const args = [width + 'x' + height];
  if ((query.get('depth') || form.elements.depth.value) === '16') args.push('depth=16');
  if (query.has('fps')) args.push('fps=' + Number(query.get('fps')));
  if (query.has('until')) args.push('until=' + Number(query.get('until')));
  if (query.has('stats')) args.push('stats');
  if (fullscreen) document.documentElement.requestFullscreen().catch(() => {});
  // The click is the page's leave to play sound; a run on the virtual clock is silent.
  if (!query.has('fps') && !query.has('autostart')) soundtrack.open();
  document.getElementById('start').remove();
  Module.canvas.focus();
  Module.startedMs = performance.now() - pageStart;
  Module.running = true;
  Module.callMain(args);
}

document.getElementById('play').addEventListener('click', start);

for (const type of ['keydown', 'keyup']) {
  window.addEventListener(type, (event) => {
    if (!Module.running) return;
    const used = Module.ccall('tolvekKey', 'number', ['string', 'number'], [event.code, type === 'keydown' ? 1 : 0]);
    if (used) event.preventDefault();
  });
}
