// The page's numbers for the report: plays build/web in headless Chromium on the virtual
// clock at FPS frames a second (10 unless given) and 640 x 480, as `tolvek --fps FPS --stats
// --mode 640x480` does on the desktop, and prints the frame times per scene state, the time
// from opening the page to the first show frame, and the page's size.
//
//   node measure.mjs PAGE_DIR [FPS]
import { execSync } from 'node:child_process';
import { playPage } from './browser_test.mjs';

const [pageDir, fps = '10'] = process.argv.slice(2);
if (!pageDir) {
  console.error('usage: node measure.mjs PAGE_DIR [FPS]');
  process.exit(2);
}
const { result } = await playPage(pageDir, `fps=${Number(fps)}&mode=640x480&autostart&stats`, new Set());
console.log(result.report);
console.log(`show folder loaded ${result.showLoadedMs.toFixed(0)} ms after the page opened; ` +
            `first show frame at ${result.firstShowFrameMs.toFixed(0)} ms (loading sequence from ${result.startedMs.toFixed(0)} ms)`);
const onDisk = execSync(`du -sb ${pageDir} | cut -f1`).toString().trim();
const packed = execSync(`tar -C ${pageDir} -cf - . | gzip -9 | wc -c`).toString().trim();
console.log(`page: ${(onDisk / 1e6).toFixed(1)} MB on disk, ${(packed / 1e6).toFixed(1)} MB gzip-compressed`);
