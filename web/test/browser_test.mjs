// The page in a real browser against the desktop program: plays build/web in headless
// Chromium on the virtual clock at 10 frames a second and 640 x 480, captures frames at
// chosen demo times and compares each with the desktop program's frame of the same index
// (recorded with --record --fps 10 at the same size: frame 7 + t/100 shows demo time t).
//
//   node browser_test.mjs PAGE_DIR NATIVE_FRAMES_DIR OUT_DIR
//
// A frame matches when its mean difference and its share of clearly different pixels stay
// within the tolerance below; SwiftShader and llvmpipe rasterise, filter and round
// differently, so frames are close, not equal. To show the comparison can fail, each
// moment's frame half a second later must fall outside the tolerance. Prints a table and
// "N passed, N failed"; exits 1 on any failure.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { PNG } from 'pngjs';
import puppeteer from 'puppeteer-core';

// Mean absolute difference per channel (0-255) and share of pixels whose largest channel
// difference exceeds kFar.
export const kTolerance = { mean: 2, farShare: 0.005 };
const kFar = 48;
const kFps = 10, kWidth = 640, kHeight = 480, kLoadingFrames = 7;
const kOffsetFrames = 5;  // 500 ms at 10 frames a second

// One moment per scene state and per effect the comparison must hold for.
export const kMoments = [
  { ms: -1, what: 'loading: first progress screen' },
  { ms: 3000, what: 'intro: the runner in the corridor' },
  { ms: 25000, what: 'intro: monks and the fire fountain' },
  { ms: 34000, what: 'intro: the glass column' },
  { ms: 41000, what: 'intro: the echo trail' },
  { ms: 48800, what: 'intro: near plane 0.1, fade to white' },
  { ms: 56000, what: 'tunnel' },
  { ms: 66500, what: 'tunnel, later shot' },
  { ms: 80000, what: 'second level in black fog, light sprites' },
  { ms: 95000, what: 'second level, later' },
  { ms: 103000, what: 'island: first camera, fog by height' },
  { ms: 118000, what: 'island: flight, sea and terrain' },
  { ms: 133000, what: 'island: waterfall and mist' },
  { ms: 149000, what: 'final scene: the first picture melting' },
  { ms: 157000, what: 'final scene: the stencil window' },
  { ms: 170000, what: 'final scene: second picture, outlines' },
  { ms: 185000, what: 'end scene: credits' },
  { ms: 240000, what: 'end scene: credits, late' },
];

export const frameIndex = (ms) => (ms < 0 ? 0 : kLoadingFrames + Math.round(ms / (1000 / kFps)));

export function compareFrames(a, b) {
  let sum = 0, far = 0;
  const pixels = a.length / 4;
  for (let i = 0; i < a.length; i += 4) {
    let worst = 0;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(a[i + c] - b[i + c]);
      sum += d;
      if (d > worst) worst = d;
    }
    if (worst > kFar) ++far;
  }
  return { mean: sum / (pixels * 3), farShare: far / pixels };
}

export const withinTolerance = (m) => m.mean <= kTolerance.mean && m.farShare <= kTolerance.farShare;

function readNative(dir, index) {
  const png = PNG.sync.read(fs.readFileSync(path.join(dir, `frame_${String(index).padStart(6, '0')}.png`)));
  return png.data;  // RGBA, top row first
}

function writePng(file, rgba) {
  const png = new PNG({ width: kWidth, height: kHeight });
  rgba.copy(png.data);
  fs.writeFileSync(file, PNG.sync.write(png));
}

// The page's frames arrive bottom row first (as glReadPixels gives them).
function flipRows(raw) {
  const out = Buffer.alloc(raw.length);
  const row = kWidth * 4;
  for (let y = 0; y < kHeight; ++y) raw.copy(out, y * row, (kHeight - 1 - y) * row, (kHeight - y) * row);
  return out;
}

const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };

// Serves the page and takes the captured frames.
function serve(pageDir, frames) {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://localhost');
    if (req.method === 'POST' && url.pathname === '/frame') {
      const chunks = [];
      req.on('data', (c) => chunks.push(c));
      req.on('end', () => {
        frames.set(Number(url.searchParams.get('index')), flipRows(Buffer.concat(chunks)));
        res.end('ok');
      });
      return;
    }
    const file = path.join(pageDir, decodeURIComponent(url.pathname === '/' ? '/index.html' : url.pathname));
    if (!file.startsWith(pageDir) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404).end();
      return;
    }
    res.writeHead(200, { 'content-type': kTypes[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

export function launchChromium() {
  // WebGL through SwiftShader, headless; or, with TOLVEK_BROWSER_GL=mesa and an X display
  // (Xvfb), through ANGLE on the desktop's own OpenGL: Mesa's llvmpipe, the renderer the
  // desktop program draws with, so that frame times compare the two programs and not two
  // software renderers.
  const onMesa = process.env.TOLVEK_BROWSER_GL === 'mesa';
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: !onMesa,
    userDataDir: fs.mkdtempSync('/tmp/tolvek-chromium-'),
    args: [...(onMesa ? ['--use-angle=gl', '--ignore-gpu-blocklist', '--ozone-platform=x11']
                      : ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader']),
           '--no-sandbox',
           '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
           `--window-size=${kWidth},${kHeight}`],
  });
}

// Plays the page to the end with `query`, capturing the frames of `wanted` (and pressing
// Escape once the demo clock passes `escapeAtMs`); returns them with the page's timings and
// its stats report.
export async function playPage(pageDir, query, wanted, log = () => {}, escapeAtMs = Infinity) {
  const frames = new Map();
  const server = await serve(path.resolve(pageDir), frames);
  const browser = await launchChromium();
  try {
    const page = await browser.newPage();
    page.on('console', (m) => log(`[page] ${m.text()}`));
    page.on('pageerror', (e) => log(`[page error] ${e.message}`));
    await page.evaluateOnNewDocument((indices, escapeAt) => {
      const want = new Set(indices);
      window.tolvekResult = { done: false };
      window.tolvekHooks = {
        onFrame(index, demoMs, state) {
          window.tolvekResult.lastFrame = { index, demoMs, state };
          if (state >= 0 && demoMs > (escapeAt ?? Infinity) && !window.tolvekResult.escaped) {
            window.tolvekResult.escaped = true;
            window.dispatchEvent(new KeyboardEvent('keydown', { code: 'Escape' }));
          }
          if (!want.has(index)) return;
          const gl = window.GLctx;
          const pixels = new Uint8Array(gl.drawingBufferWidth * gl.drawingBufferHeight * 4);
          gl.readPixels(0, 0, gl.drawingBufferWidth, gl.drawingBufferHeight, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
          window.tolvekResult.pending = (window.tolvekResult.pending || 0) + 1;
          fetch('/frame?index=' + index, { method: 'POST', body: pixels }).then(() => --window.tolvekResult.pending);
        },
        onShowEnd(code, report) { Object.assign(window.tolvekResult, { done: true, code, report }); },
      };
    }, [...wanted], Number.isFinite(escapeAtMs) ? escapeAtMs : null);
    const started = Date.now();
    await page.goto(`http://127.0.0.1:${server.address().port}/?${query}`);
    await page.waitForFunction(() => window.tolvekResult.done && !window.tolvekResult.pending,
                               { timeout: 40 * 60 * 1000, polling: 1000 });
    const result = await page.evaluate(() => ({
      ...window.tolvekResult, firstShowFrameMs: Module.firstShowFrameMs, showLoadedMs: Module.showLoadedMs,
      startedMs: Module.startedMs,
      // What loading unpacked, which shutdown deletes (the loose monk model stays).
      unpackedLeft: ['/show/data/map', '/show/data/models/terrain.raw', '/show/data/models/boat.md3']
        .filter((f) => Module.FS.analyzePath(f).exists),
    }));
    result.wallSeconds = (Date.now() - started) / 1000;
    return { frames, result };
  } finally {
    await browser.close();
    server.close();
  }
}

async function main() {
  // The moments the desktop program is recorded at (scripts/web-test asks).
  if (process.argv[2] === '--moments') {
    for (const m of kMoments) if (m.ms >= 0) console.log(m.ms);
    return;
  }
  const [pageDir, nativeDir, outDir] = process.argv.slice(2);
  if (!outDir) {
    console.error('usage: node browser_test.mjs PAGE_DIR NATIVE_FRAMES_DIR OUT_DIR');
    process.exit(2);
  }
  fs.mkdirSync(outDir, { recursive: true });
  const wanted = new Set();
  for (const m of kMoments) wanted.add(frameIndex(m.ms)).add(frameIndex(m.ms) + kOffsetFrames);
  const { frames, result } = await playPage(pageDir, `fps=${kFps}&mode=${kWidth}x${kHeight}&autostart`, wanted,
                                            (line) => { if (!/^\[page\] \[/.test(line)) console.log(line); });
  console.log(`page played in ${result.wallSeconds.toFixed(0)} s`);
  let passed = 0, failed = 0;
  const check = (ok, line) => {
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${line}`);
    ok ? ++passed : ++failed;
  };
  check(result.code === 0 && result.lastFrame.demoMs > 246882,
        `the show ran to its end (last frame at ${result.lastFrame.demoMs.toFixed(0)} ms, exit code ${result.code})`);
  check(result.unpackedLeft.length === 0, `the unpacked files were deleted at the end ${result.unpackedLeft.join(' ')}`);
  console.log(`tolerance: mean difference <= ${kTolerance.mean} levels, pixels off by more than ${kFar} <= ${100 * kTolerance.farShare}%`);
  for (const m of kMoments) {
    const index = frameIndex(m.ms);
    const web = frames.get(index), late = frames.get(index + kOffsetFrames);
    if (!web || !late) {
      check(false, `${m.what}: frame ${index} was not captured`);
      continue;
    }
    const native = readNative(nativeDir, index);
    writePng(path.join(outDir, `web_${index}.png`), web);
    const same = compareFrames(web, native), off = compareFrames(late, native);
    const fmt = (x) => `mean ${x.mean.toFixed(2)}, far ${(100 * x.farShare).toFixed(2)}%`;
    check(withinTolerance(same), `${m.what} (frame ${index}): ${fmt(same)}`);
    check(!withinTolerance(off), `  500 ms off (frame ${index + kOffsetFrames}) falls outside: ${fmt(off)}`);
  }
  const stopped = (await playPage(pageDir, `fps=${kFps}&mode=${kWidth}x${kHeight}&autostart`, new Set(), () => {}, 2000))
    .result;
  check(stopped.code === 0 && stopped.lastFrame.demoMs < 3000 && stopped.unpackedLeft.length === 0,
        `Escape ends the show at once and the unpacked files are deleted (last frame at ${stopped.lastFrame.demoMs.toFixed(0)} ms)`);
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

if (import.meta.url === `file://${process.argv[1]}`) main().catch((e) => { console.error(e); process.exit(1); });
