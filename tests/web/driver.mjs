// Drives the browser build in Debian's headless Chromium for the browser
// tests (tests/web_game_test.cpp) and the measuring script. It reads one
// command per line on standard input and answers each with one line on
// standard output, "ok" and a result, or "error" and the reason:
//
//   open URL              load the page; the answer comes once it has loaded
//   key NAME down|up|press a key, by its KeyboardEvent code (Space, Escape...)
//   move X Y              the mouse to a point of the canvas
//   click X Y             a left click at a point of the canvas
//   press ID              a left click on the page's element with this id
//   shot PATH             the canvas as the player sees it, as a PNG file
//   page                  the page's state, as name=value pairs
//   console               the console lines shown under the canvas,
//                         percent-encoded (encodeURIComponent)
//   sample MS             for MS milliseconds: frames drawn, main-thread
//                         busy time and time passed, as name=value pairs;
//                         frame_ms is the time from the last frame before
//                         to the last frame within, as the page saw it
//   quit
//
// Every frame the game draws starts by clearing the canvas, so counting
// WebGL clears counts frames; the first one is the first ready screen.
import readline from "node:readline";
import puppeteer from "puppeteer-core";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

// WebGL without a GPU: by default the canvas is read back to a software
// compositor; ROCKDRIFT_WEBGL=swiftshader renders it in the GPU process
// with SwiftShader instead, as a machine with a GPU would.
const webgl = process.env.ROCKDRIFT_WEBGL === "swiftshader"
    ? ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"]
    : ["--disable-gpu"];
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "rockdrift-chromium-"));
const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", ...webgl, "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--window-size=1100,1000"],
    defaultViewport: {width: 1100, height: 1000},
});
const page = await browser.newPage();
const devtools = await page.createCDPSession();
await devtools.send("Performance.enable");
await page.evaluateOnNewDocument(() => {
    window.rockdrift_frames = 0;
    window.rockdrift_first_frame = null;
    window.rockdrift_last_frame = null;
    for (const context of [WebGLRenderingContext, WebGL2RenderingContext]) {
        const clear = context.prototype.clear;
        context.prototype.clear = function(mask) {
            window.rockdrift_frames += 1;
            window.rockdrift_last_frame = performance.now();
            window.rockdrift_first_frame ??= window.rockdrift_last_frame;
            return clear.call(this, mask);
        };
    }
});

async function canvas_point(x, y) {
    const box = await (await page.$("#canvas")).boundingBox();
    return [box.x + Number(x), box.y + Number(y)];
}

async function task_seconds() {
    const {metrics} = await devtools.send("Performance.getMetrics");
    return metrics.find((m) => m.name === "TaskDuration").value;
}

const commands = {
    async open(url) {
        const opened = performance.now();
        await page.goto(url, {waitUntil: "load"});
        return `loaded_ms=${Math.round(performance.now() - opened)}`;
    },
    async key(name, how) {
        if (how === "down") {
            await page.keyboard.down(name);
        } else if (how === "up") {
            await page.keyboard.up(name);
        } else {
            await page.keyboard.press(name);
        }
    },
    async move(x, y) {
        await page.mouse.move(...(await canvas_point(x, y)));
    },
    async click(x, y) {
        await page.mouse.click(...(await canvas_point(x, y)));
    },
    async press(id) {
        await page.click(`#${id}`);
    },
    async shot(file) {
        await (await page.$("#canvas")).screenshot({path: file});
    },
    async page() {
        const state = await page.evaluate(() => ({
            title: document.title,
            ended: document.getElementById("ended")?.hidden === false ? 1 : 0,
            focused: document.activeElement ? document.activeElement.id || document.activeElement.tagName : "",
            scrolled: window.scrollY,
            frames: window.rockdrift_frames,
            first_frame_ms: window.rockdrift_first_frame,
        }));
        return Object.entries(state).map(([name, value]) => `${name}=${value}`).join(" ");
    },
    async console() {
        return encodeURIComponent(await page.$eval("#console", (lines) => lines.textContent));
    },
    async sample(ms) {
        const frames = () => page.evaluate(() => [window.rockdrift_frames, window.rockdrift_last_frame]);
        const [frames_before, frame_before] = await frames();
        const task_before = await task_seconds();
        const wall_before = performance.now();
        await new Promise((done) => setTimeout(done, Number(ms)));
        const [frames_after, frame_after] = await frames();
        const task_after = await task_seconds();
        const wall_after = performance.now();
        return `frames=${frames_after - frames_before} frame_ms=${(frame_after - frame_before).toFixed(1)}` +
               ` task_ms=${((task_after - task_before) * 1000).toFixed(1)}` +
               ` wall_ms=${(wall_after - wall_before).toFixed(1)}`;
    },
};

const lines = readline.createInterface({input: process.stdin});
for await (const line of lines) {
    const [name, ...args] = line.trim().split(/\s+/);
    if (name === "quit") {
        break;
    }
    try {
        if (!(name in commands)) {
            throw new Error(`unknown command ${name}`);
        }
        const result = await commands[name](...args);
        process.stdout.write(`ok ${result ?? ""}\n`);
    } catch (error) {
        process.stdout.write(`error ${String(error.message).replace(/\n/g, " ")}\n`);
    }
}
await browser.close();
fs.rmSync(profile, {recursive: true, force: true});
