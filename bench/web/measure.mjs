// Measures the browser build the way its players meet it, through the tests'
// own driver (tests/support/web/driver.mjs: the same browsers, the same
// server and the same page script), and prints the figures as Markdown:
//
//   - bytes over the wire on a first visit, the site served gzipped as static
//     hosts serve it, until its service worker has kept the site;
//   - the first visit on a phone (Chromium's network and CPU throttling
//     through the DevTools protocol: 1.6 Mbit/s down, 150 ms round trip, a
//     CPU 4 times slower; a fresh profile each run): the time from
//     navigation to the game's first drawn frame, the longest task before
//     it, and whether a progress bar showed how far loading had come;
//   - Lighthouse 12.2.3, mobile defaults, on the site served gzipped.
//
// bench/web/measure.py measures the same sites on a desktop: the first ready
// frame with a warm browser, the main thread and the ticks a second.
//
// Each site given is measured in the same run, one after another in each
// round, so that they share whatever else the machine is doing.
//
// Usage: node bench/web/measure.mjs [--quick] SITE_FOLDER...  (scripts/measure-web.sh)
// --quick: the phone three times, Lighthouse once.
import path from "node:path";

import {bytes_sent, load, open_browser, serve, unserve} from "../../tests/support/web/driver.mjs";

const quick = process.argv[2] === "--quick";
const sites = process.argv.slice(quick ? 3 : 2).map((folder) => path.resolve(folder));
const PHONE_RUNS = quick ? 3 : 5;
const LIGHTHOUSE_RUNS = quick ? 1 : 3;
// Lighthouse's mobile profile, applied by Chromium itself.
const PHONE = {latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 0.75e6 / 8, cpu: 4};

const median = (values) => {
    const sorted = [...values].sort((a, b) => a - b);
    const middle = Math.floor(sorted.length / 2);
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const wait = (ms) => new Promise((done) => setTimeout(done, ms));

// Polls the page until `ready` answers something, for at most `seconds`.
async function until(page, ready, seconds = 60) {
    for (const deadline = Date.now() + seconds * 1000; Date.now() < deadline; await wait(50)) {
        const answer = await page.evaluate(ready).catch(() => null);
        if (answer) {
            return answer;
        }
    }
    throw new Error(`gave up after ${seconds} s`);
}
const first_frame = () => window.rockdrift_frames?.length > 0 && window.rockdrift_frames[0];

// Every byte the server sends on a first visit: the page, then the service
// worker keeping the site, with the browser's network left as it is.
async function first_visit_bytes(site) {
    const url = await serve(site, {gzip: true});
    const {browser, page} = await open_browser();
    await page.goto(url);
    await until(page, () => navigator.serviceWorker?.controller && window.rockdrift_frames.length > 0);
    await wait(2000);
    const bytes = bytes_sent(url);
    await browser.close();
    unserve(url);
    return bytes;
}

// One first visit on a throttled phone.
async function phone_visit(site) {
    const url = await serve(site, {gzip: true});
    const {browser, page} = await open_browser();
    await page.setViewport({width: 412, height: 823, deviceScaleFactor: 1.75, isMobile: true, hasTouch: true});
    const devtools = await page.createCDPSession();
    await devtools.send("Network.enable");
    await devtools.send("Network.emulateNetworkConditions", {offline: false, ...PHONE});
    await devtools.send("Emulation.setCPUThrottlingRate", {rate: PHONE.cpu});
    await page.goto(url, {waitUntil: "domcontentloaded"});
    const frame_ms = await until(page, first_frame);
    const {tasks, progress} = await page.evaluate((frame) => ({
        tasks: window.rockdrift_long_tasks.filter(([start]) => start < frame).map(([, duration]) => duration),
        progress: window.rockdrift_progress,
    }), frame_ms);
    await browser.close();
    unserve(url);
    return {frame_ms, longest: Math.max(0, ...tasks), shown: progress.some((p) => p > 0 && p < 1), progress};
}

async function lighthouse(site) {
    const url = await serve(site, {gzip: true, plain: true});
    const {browser} = await open_browser();
    const {default: run} = await load("lighthouse");
    const port = Number(new URL(browser.wsEndpoint()).port);
    const {lhr, artifacts} = await run(url, {port, output: "json", logLevel: "error"});
    await browser.close();
    unserve(url);
    const score = (name) => Math.round(lhr.categories[name].score * 100);
    const failed = Object.values(lhr.audits).filter((a) => a.score !== null && a.score < 0.9 &&
                                                           a.scoreDisplayMode !== "informative");
    return {
        performance: score("performance"), accessibility: score("accessibility"),
        practices: score("best-practices"), seo: score("seo"),
        tbt: lhr.audits["total-blocking-time"].numericValue, tti: lhr.audits.interactive.numericValue,
        failed: failed.map((a) => a.id),
        blocking: blocking_by_whom(artifacts.Trace.traceEvents),
    };
}

// The blocking time of the main thread's tasks in Lighthouse's own trace, as
// its mobile profile counts it (each task 4 times as long, less 50 ms), split
// between the browser's compositing of the page (a commit; without a GPU the
// compositor reads the WebGL canvas back and waits for SwiftShader) and
// everything else: the page's and the game's own work.
function blocking_by_whom(events) {
    const on_main = (e) => e.ph === "X" && e.tid === main_thread.tid && e.pid === main_thread.pid;
    const named = events.filter((e) => e.name === "thread_name" && e.args.name === "CrRendererMain");
    const main_thread = named.find((t) => events.some((e) => e.pid === t.pid && e.name === "ParseHTML")) ?? named[0];
    const main = events.filter(on_main);
    const tasks = main.filter((e) => e.name === "RunTask" && e.dur > 12500);
    const blocking = {compositing: 0, page: 0};
    for (const task of tasks) {
        const commit = main.find((e) => e.name === "Commit" && e.ts >= task.ts && e.ts + e.dur <= task.ts + task.dur);
        blocking[commit && commit.dur * 2 > task.dur ? "compositing" : "page"] += task.dur * 4 / 1000 - 50;
    }
    return blocking;
}

const name = (site) => path.relative(process.cwd(), site) || site;
const results = sites.map(() => ({phone: [], lighthouse: []}));
for (let round = 0; round < Math.max(PHONE_RUNS, LIGHTHOUSE_RUNS); ++round) {
    for (const [i, site] of sites.entries()) {
        if (round < PHONE_RUNS) {
            results[i].phone.push(await phone_visit(site));
        }
        if (round < LIGHTHOUSE_RUNS) {
            results[i].lighthouse.push(await lighthouse(site));
        }
    }
}
for (const [i, site] of sites.entries()) {
    results[i].bytes = await first_visit_bytes(site);
}

const kb = (bytes) => `${Math.round(bytes / 1000)} KB`;
const s = (ms) => `${(ms / 1000).toFixed(2)} s`;
console.log(`| figure | ${sites.map(name).join(" | ")} |`);
console.log(`|---|${sites.map(() => "---|").join("")}`);
const row = (label, cell) => console.log(`| ${label} | ${results.map(cell).join(" | ")} |`);
row("bytes over the wire, first visit", (r) => kb(r.bytes));
row(`ready screen on the phone, median of ${PHONE_RUNS}`, (r) => `${s(median(r.phone.map((v) => v.frame_ms)))} ` +
    `(${r.phone.map((v) => s(v.frame_ms)).join(", ")})`);
row("ready screen on the phone, against the first site", (r) =>
    (median(r.phone.map((v) => v.frame_ms)) / median(results[0].phone.map((v) => v.frame_ms))).toFixed(2));
row("longest task before it, median", (r) => `${Math.round(median(r.phone.map((v) => v.longest)))} ms`);
row("loads that showed their progress", (r) => `${r.phone.filter((v) => v.shown).length} of ${r.phone.length}`);
row(`Lighthouse mobile performance, median of ${LIGHTHOUSE_RUNS}`,
    (r) => `${median(r.lighthouse.map((l) => l.performance))} (${r.lighthouse.map((l) => l.performance).join(", ")})`);
row("Lighthouse total blocking time", (r) => r.lighthouse.map((l) => `${Math.round(l.tbt)} ms`).join(", "));
row("Lighthouse's trace: blocking time of the browser's compositing, of the page and game", (r) =>
    r.lighthouse.map((l) => `${Math.round(l.blocking.compositing)} ms, ${Math.round(l.blocking.page)} ms`).join("; "));
row("Lighthouse time to interactive", (r) => r.lighthouse.map((l) => s(l.tti)).join(", "));
row("Lighthouse accessibility, best practices, SEO",
    (r) => r.lighthouse.map((l) => `${l.accessibility}, ${l.practices}, ${l.seo}`).join("; "));
row("Lighthouse audits below 90", (r) => [...new Set(r.lighthouse.flatMap((l) => l.failed))].join(", ") || "none");
process.exit(0);
