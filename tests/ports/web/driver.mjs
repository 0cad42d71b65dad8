// Drives the browser build for the browser tests (tests/ports/web_game_test.cpp)
// and the measuring script, in the engine named as the argument: chromium
// (the default: Debian's headless Chromium through puppeteer-core), firefox
// (Firefox ESR, headless, through puppeteer-core and WebDriver BiDi) or
// webkit (WebKitGTK's MiniBrowser through WebKitWebDriver, a W3C WebDriver
// server; it needs a display). It reads one command per line on standard
// input and answers each with one line on standard output, "ok" and a
// result, or "error" and the reason:
//
//   open URL              load the page; the answer comes once it has loaded
//   viewport WxH [touch]  the page's size; "touch": a phone's (Chromium)
//   key CODE down|up|press a key, by its KeyboardEvent code (Space, KeyW...)
//   move X Y              the mouse to a point of the game's 1024 x 768
//   click X Y             a left click at a point of the game
//   tap X Y               a finger's tap at a point of the game (Chromium)
//   finger NAME down|up   a finger on, or off, the page's control with this
//                         accessible name (Chromium); it stays while others tap
//   press ID              a left click on the page's element with this id
//   shot PATH             the canvas's drawing buffer (the game's 1024 x 768,
//                         whatever size it is shown at) as a PNG file
//   page                  the page's state, as name=value pairs
//   console               the console lines shown under the canvas,
//                         percent-encoded (encodeURIComponent)
//   sample MS             for MS milliseconds: frames drawn, main-thread
//                         busy time (Chromium) and time passed, as
//                         name=value pairs; frame_ms is the time from the
//                         last frame before to the last frame within, as
//                         the page saw it
//   quit
//
// Points of the game are mapped to the page through the canvas's displayed
// box. Every frame the game draws starts by clearing the canvas with WebGL,
// or, where the browser gives SDL no WebGL (Firefox here), ends by copying
// SDL's software frame to it in one piece: counting those calls counts
// frames, and the first one is the first ready screen.
import readline from "node:readline";
import {spawn} from "node:child_process";
import fs from "node:fs";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

const engine = process.argv[2] ?? "chromium";
const profile = fs.mkdtempSync(path.join(os.tmpdir(), `rockdrift-${engine}-`));
// A laptop's 1366 x 768 screen, less the browser's bars.
const LAPTOP = {width: 1366, height: 657};
// WebDriver's values of the keys the tests press that are not characters.
const WEBDRIVER_KEYS = {Escape: "\uE00C", Enter: "\uE007", ArrowLeft: "\uE012", ArrowUp: "\uE013",
                        ArrowRight: "\uE014", ArrowDown: "\uE015"};

// A WebKitWebDriver session behind the few methods of puppeteer's Page that
// the commands use.
class WebDriverPage {
    on_load = [];
    keyboard = {down: (key) => this.key(key, "keyDown"), up: (key) => this.key(key, "keyUp"),
                press: (key) => this.key(key, "keyDown", "keyUp")};
    mouse = {move: (x, y) => this.pointer(x, y), click: (x, y) => this.pointer(x, y, "pointerDown", "pointerUp")};

    async start() {
        const port = await new Promise((found) => {
            const probe = net.createServer().listen(0, "127.0.0.1", () => {
                const {port} = probe.address();
                probe.close(() => found(port));
            });
        });
        this.server = spawn("WebKitWebDriver", [`--port=${port}`], {stdio: "ignore"});
        this.base = `http://127.0.0.1:${port}/session`;
        const browser = {binary: process.env.MINIBROWSER || "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser",
                         args: ["--automation"]};
        // The server takes a moment to listen.
        for (let tries = 0; !this.session; ++tries) {
            await new Promise((done) => setTimeout(done, 100));
            this.session = await this.call("POST", "", {capabilities: {alwaysMatch: {"webkitgtk:browserOptions": browser}}})
                .then(({sessionId}) => `${this.base}/${sessionId}`, (error) => { if (tries === 50) throw error; });
        }
        return this;
    }

    async call(method, where, body) {
        const response = await fetch((this.session ?? this.base) + where,
                                     {method, body: JSON.stringify(body), headers: {"content-type": "application/json"}});
        const {value} = await response.json();
        if (!response.ok) {
            throw new Error(`${value.error}: ${value.message}`);
        }
        return value;
    }

    evaluate(script, ...args) {
        return this.call("POST", "/execute/sync", {script: `return (${script}).apply(null, arguments);`, args});
    }

    // No script runs before the page's own here: these run once it has loaded.
    evaluateOnNewDocument(...script) {
        this.on_load.push(script);
    }

    async goto(url) {
        await this.call("POST", "/url", {url});
        for (const script of this.on_load) {
            await this.evaluate(...script);
        }
    }

    async setViewport({width, height}) {
        const [x, y] = await this.evaluate(() => [outerWidth - innerWidth, outerHeight - innerHeight]);
        await this.call("POST", "/window/rect", {width: width + x, height: height + y});
    }

    key(key, ...types) {
        const value = WEBDRIVER_KEYS[key] ?? key;
        return this.call("POST", "/actions", {actions: [{type: "key", id: "keyboard",
                                                         actions: types.map((type) => ({type, value}))}]});
    }

    pointer(x, y, ...types) {
        const actions = [{type: "pointerMove", origin: "viewport", x: Math.round(x), y: Math.round(y)},
                         ...types.map((type) => ({type, button: 0}))];
        return this.call("POST", "/actions", {actions: [{type: "pointer", id: "mouse", actions}]});
    }

    async close() {
        await this.call("DELETE", "");
        this.server.kill();
    }
}

// Each browser with nothing that reaches out to the network: this machine
// has none, and a test must not depend on it.
async function open_browser() {
    if (engine === "webkit") {
        const page = await new WebDriverPage().start();
        return {page, browser: page, devtools: null};
    }
    const browser = await puppeteer.launch(engine === "firefox" ? {
        browser: "firefox", executablePath: process.env.FIREFOX || "/usr/bin/firefox-esr", headless: true,
        userDataDir: profile, extraPrefsFirefox: {"network.captive-portal-service.enabled": false,
                                                  "network.connectivity-service.enabled": false},
    } : {
        executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: true, userDataDir: profile,
        // WebGL without a GPU: by default the canvas is read back to a software
        // compositor; ROCKDRIFT_WEBGL=swiftshader renders it in the GPU process
        // with SwiftShader instead, as a machine with a GPU would.
        args: ["--no-sandbox", ...(process.env.ROCKDRIFT_WEBGL === "swiftshader"
                                       ? ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"]
                                       : ["--disable-gpu"]),
               "--disable-quic", "--no-first-run", "--disable-background-networking", "--disable-component-update",
               "--disable-sync"],
    });
    const page = (await browser.pages())[0];
    const devtools = engine === "chromium" ? await page.createCDPSession() : null;
    await devtools?.send("Performance.enable");
    return {page, browser, devtools};
}

// Counts frames (see the top), among the page's own scripts, where it sees the
// game's calls: Firefox keeps a driver's scripts apart.
function count_frames() {
    window.rockdrift_frames = 0;
    window.rockdrift_first_frame = null;
    window.rockdrift_last_frame = null;
    for (const [context, name] of [[WebGLRenderingContext, "clear"], [WebGL2RenderingContext, "clear"],
                                   [CanvasRenderingContext2D, "putImageData"]]) {
        const method = context.prototype[name];
        context.prototype[name] = function(...args) {
            window.rockdrift_frames += 1;
            window.rockdrift_last_frame = performance.now();
            window.rockdrift_first_frame ??= window.rockdrift_last_frame;
            return method.apply(this, args);
        };
    }
}

const {page, browser, devtools} = await open_browser();
await page.setViewport(LAPTOP);
await page.evaluateOnNewDocument((code) => {
    const run = () => document.documentElement.append(Object.assign(document.createElement("script"), {textContent: code}));
    document.documentElement ? run() : document.addEventListener("DOMContentLoaded", run, {once: true});
}, `(${count_frames})()`);

// The page's point at a point of the game, or at the centre of the element
// with this id or of the control with this accessible name.
async function page_point(x, y) {
    const [left, top, width, height] = await page.evaluate(() => {
        const box = document.getElementById("canvas").getBoundingClientRect();
        return [box.left, box.top, box.width, box.height];
    });
    return [left + (Number(x) + 0.5) * width / 1024, top + (Number(y) + 0.5) * height / 768];
}
function element_point(id, name) {
    return page.evaluate((id, name) => {
        const element = document.getElementById(id) ??
                        [...document.querySelectorAll("button")].find((b) => (b.ariaLabel ?? b.textContent) === name);
        const box = element.getBoundingClientRect();
        return [box.left + box.width / 2, box.top + box.height / 2];
    }, id, name);
}

async function task_seconds() {
    const metrics = (await devtools?.send("Performance.getMetrics"))?.metrics ?? [];
    return metrics.find((m) => m.name === "TaskDuration")?.value ?? NaN;
}

function chromium_only(what) {
    if (engine !== "chromium") {
        throw new Error(`${what}: in Chromium only`);
    }
}

const fingers = new Map();

const commands = {
    async open(url) {
        const opened = performance.now();
        await page.goto(url, {waitUntil: "load"});
        return `loaded_ms=${Math.round(performance.now() - opened)}`;
    },
    async viewport(size, touch) {
        if (touch) {
            chromium_only("touch");
        }
        const [width, height] = size.split("x").map(Number);
        await page.setViewport({width, height, hasTouch: Boolean(touch), isMobile: Boolean(touch)});
    },
    async key(code, how) {
        // Puppeteer and WebDriver name keys as KeyboardEvent.key does.
        const key = code === "Space" ? " " : code.replace(/^Key([A-Z])$/, (_, letter) => letter.toLowerCase());
        await (how === "down" ? page.keyboard.down(key) : how === "up" ? page.keyboard.up(key) : page.keyboard.press(key));
    },
    async move(x, y) {
        await page.mouse.move(...(await page_point(x, y)));
    },
    async click(x, y) {
        await page.mouse.click(...(await page_point(x, y)));
    },
    async tap(x, y) {
        chromium_only("tap");
        await (await page.touchscreen.touchStart(...(await page_point(x, y)))).end();
    },
    async finger(name, how) {
        chromium_only("finger");
        if (how === "down") {
            fingers.set(name, await page.touchscreen.touchStart(...(await element_point(null, name))));
        } else {
            await fingers.get(name).end();
            fingers.delete(name);
        }
    },
    async press(id) {
        await page.mouse.click(...(await element_point(id)));
    },
    async shot(file) {
        const url = await page.evaluate(() => document.getElementById("canvas").toDataURL("image/png"));
        fs.writeFileSync(file, Buffer.from(url.slice(url.indexOf(",") + 1), "base64"));
    },
    async page() {
        const state = await page.evaluate(() => {
            const box = document.getElementById("canvas").getBoundingClientRect();
            const shown = (id) => document.getElementById(id)?.checkVisibility();
            const {scrollWidth, scrollHeight} = document.documentElement;
            return {
                title: document.title,
                ended: document.getElementById("ended")?.hidden === false ? 1 : 0,
                focused: document.activeElement ? document.activeElement.id || document.activeElement.tagName : "",
                scrolled: window.scrollY,
                frames: window.rockdrift_frames,
                first_frame_ms: window.rockdrift_first_frame,
                // How the canvas fits: the window's size, the canvas's width
                // over that of the largest 4:3 box the window holds, its width
                // over its height, whether it is all in the window, and
                // whether the page holds more than the window (and scrolls).
                window: `${innerWidth}x${innerHeight}`,
                fit: (box.width / Math.min(innerWidth, innerHeight * 4 / 3)).toFixed(3),
                aspect: (box.width / box.height).toFixed(2),
                inside: box.left >= 0 && box.top >= 0 && box.right <= innerWidth && box.bottom <= innerHeight ? 1 : 0,
                scrolls: scrollWidth > innerWidth || scrollHeight > innerHeight ? 1 : 0,
                touch_controls: shown("pad") && shown("keys") ? 1 : 0,
                // Full screen once the page has settled in it, saying how to
                // leave: until then its lines, the button among them, move.
                fullscreen: document.fullscreenElement && document.getElementById("fullscreen-note").textContent ? 1 : 0,
                offline_ready: navigator.serviceWorker?.controller ? 1 : 0,
            };
        });
        return Object.entries(state).map(([name, value]) => `${name}=${value}`).join(" ");
    },
    async console() {
        return encodeURIComponent(await page.evaluate(() => document.getElementById("console").textContent));
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
