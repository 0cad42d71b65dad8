// Drives the browser build for the tests (tests/support/browser.cpp) and the
// measurements (bench/web/), in the engine named as the argument: chromium
// (the default: Debian's headless Chromium through puppeteer-core), firefox
// (Firefox ESR, headless, through puppeteer-core and WebDriver BiDi) or
// webkit (WebKitGTK's MiniBrowser through WebKitWebDriver, a W3C WebDriver
// server; it needs a display). It reads one command per line on standard
// input and answers each with one line on standard output, "ok" and a
// result, or "error" and the reason:
//
//   fresh                 a new page in a browsing context of its own (a
//                         new session, in WebKit), at a laptop's size: each
//                         game starts with nothing kept from the one before
//   serve FOLDER          serve a site's folder on 127.0.0.1 (see below);
//                         answers url=ADDRESS
//   unserve ADDRESS       stop serving it, as a server gone offline
//   open URL [SECOND]     load the page, its game believing it starts in
//                         SECOND; the answer comes once it has loaded
//   viewport WxH [touch]  the page's size; "touch": a phone's (Chromium)
//   key CODE down|up|press a key, by its KeyboardEvent code (Space, KeyW...)
//   move X Y              the mouse to a point of the game's 1024 x 768
//   click X Y [BUTTON]    a click at a point of the game (1 left, 2 middle,
//                         3 right)
//   tap X Y               a finger's tap at a point of the game (Chromium)
//   finger NAME down|up   a finger on, or off, the page's control with this
//                         accessible name (Chromium); it stays while others tap
//   press ID              a left click on the page's element with this id
//   shot PATH TOP BOTTOM  the rows TOP to BOTTOM (not included) of the
//                         canvas's drawing buffer (the game's 1024 x 768,
//                         whatever size it is shown at), as raw RGBA bytes
//   settle                waits until the game has read every key, click and
//                         tap sent so far: it waits for events a millisecond
//                         at a time, so a timer of the page's set now, and
//                         longer, cannot fire before its next turn
//   page                  the page's state, as name=value pairs
//   console PATH          the console lines shown under the canvas, into a
//                         file
//   sample MS             for MS milliseconds: frames drawn, the middle gap
//                         between two frames, main-thread busy time
//                         (Chromium) and time passed, as name=value pairs;
//                         frame_ms is the time from the last frame before to
//                         the last frame within, as the page saw it
//   quit
//
// The site is served with a script of the driver's put first in each page:
// the page's clock as the game reads it (Date.now) stands still in the second
// that the page's address gives (?second=N), the game's memory is kept in
// sight, and every frame the game draws is counted. Each frame starts by clearing the canvas with WebGL or, where the
// browser gives SDL no WebGL (Firefox here), ends by copying SDL's software
// frame to it in one piece: counting those calls counts frames, and the first
// one is the first ready screen. Points of the game are mapped to the page
// through the canvas's displayed box.
//
// As a module it lends the measurements (bench/web/) the same browsers, the
// same server and the same script: open_browser, serve and load, which
// imports a package of this folder's.
import readline from "node:readline";
import {spawn} from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import {pathToFileURL} from "node:url";
import zlib from "node:zlib";
import puppeteer from "puppeteer-core";

// A laptop's 1366 x 768 screen, less the browser's bars.
export const LAPTOP = {width: 1366, height: 657};
// Puppeteer's names of the mouse buttons, by number.
const BUTTONS = {1: "left", 2: "middle", 3: "right"};
// WebDriver's values of the keys the tests press that are not characters.
const WEBDRIVER_KEYS = {Escape: "\uE00C", Enter: "\uE007", ArrowLeft: "\uE012", ArrowUp: "\uE013",
                        ArrowRight: "\uE014", ArrowDown: "\uE015"};

// A WebKitWebDriver session behind the few methods of puppeteer's Page that
// the commands use.
class WebDriverPage {
    keyboard = {down: (key) => this.key(key, "keyDown"), up: (key) => this.key(key, "keyUp"),
                press: (key) => this.key(key, "keyDown", "keyUp")};
    mouse = {move: (x, y) => this.pointer(x, y),
             click: (x, y, {button = "left"} = {}) => this.pointer(x, y, ["left", "middle", "right"].indexOf(button),
                                                                   "pointerDown", "pointerUp")};

    async start() {
        const port = await new Promise((found) => {
            const probe = net.createServer().listen(0, "127.0.0.1", () => {
                const {port} = probe.address();
                probe.close(() => found(port));
            });
        });
        this.server = spawn("WebKitWebDriver", [`--port=${port}`], {stdio: "ignore"});
        this.base = `http://127.0.0.1:${port}/session`;
        await this.start_session();
        return this;
    }

    async start_session() {
        const browser = {binary: process.env.MINIBROWSER || "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser",
                         args: ["--automation"]};
        // The server takes a moment to listen.
        for (let tries = 0; !this.session; ++tries) {
            await new Promise((done) => setTimeout(done, 100));
            this.session = await this.call("POST", "", {capabilities: {alwaysMatch: {"webkitgtk:browserOptions": browser}}})
                .then(({sessionId}) => `${this.base}/${sessionId}`, (error) => { if (tries === 50) throw error; });
        }
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

    goto(url) {
        return this.call("POST", "/url", {url});
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

    pointer(x, y, button, ...types) {
        const actions = [{type: "pointerMove", origin: "viewport", x: Math.round(x), y: Math.round(y)},
                         ...types.map((type) => ({type, button}))];
        return this.call("POST", "/actions", {actions: [{type: "pointer", id: "mouse", actions}]});
    }

    // A new session, whose browser starts afresh.
    async renew() {
        await this.call("DELETE", "");
        this.session = undefined;
        await this.start_session();
    }

    async close() {
        await this.call("DELETE", "");
        this.server.kill();
    }
}

// A package of the driver's own (tests/support/web/package.json).
export const load = (name) => import(name);

// Each browser with nothing that reaches out to the network: this machine
// has none, and a test must not depend on it. Its profile is a fresh folder,
// removed by close().
export async function open_browser(engine = "chromium", webgl = process.env.ROCKDRIFT_WEBGL) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), `rockdrift-${engine}-`));
    const opened = await launch(engine, profile, webgl);
    const close = opened.browser.close.bind(opened.browser);
    opened.browser.close = async () => {
        await close();
        fs.rmSync(profile, {recursive: true, force: true});
    };
    return opened;
}

async function launch(engine, profile, webgl) {
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
        // compositor; webgl "swiftshader" renders it in the GPU process with
        // SwiftShader instead, as a machine with a GPU would.
        args: ["--no-sandbox", ...(webgl === "swiftshader"
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

// The driver's script, first in every page it serves (see the top).
function page_script() {
    // The game reads the clock once, as it starts, to seed its rocks.
    const second = new URLSearchParams(location.search).get("second");
    if (second !== null) {
        Date.now = () => Number(second) * 1000;
    }
    // The game's memory, for a bound on it: the module's own, which only grows.
    for (const name of ["instantiate", "instantiateStreaming"]) {
        const original = WebAssembly[name];
        WebAssembly[name] = async function(...args) {
            const result = await original.apply(this, args);
            const exports = Object.values((result.instance ?? result).exports);
            window.rockdrift_memory = exports.find((value) => value instanceof WebAssembly.Memory);
            return result;
        };
    }
    window.rockdrift_frames = [];
    for (const [context, name] of [[window.WebGLRenderingContext, "clear"], [window.WebGL2RenderingContext, "clear"],
                                   [window.CanvasRenderingContext2D, "putImageData"]]) {
        const method = context?.prototype[name];
        if (method) {
            context.prototype[name] = function(...args) {
                window.rockdrift_frames.push(performance.now());
                return method.apply(this, args);
            };
        }
    }
    // For the measurements: the long tasks, and the values a progress bar
    // shows before the first frame.
    window.rockdrift_long_tasks = [];
    try {
        new PerformanceObserver((list) => window.rockdrift_long_tasks.push(...list.getEntries().map(
            (task) => [task.startTime, task.duration]))).observe({type: "longtask", buffered: true});
    } catch {
        // Chromium's alone.
    }
    window.rockdrift_progress = [];
    const watch = setInterval(() => {
        const bar = document.querySelector("progress");
        if (window.rockdrift_frames.length > 0) {
            clearInterval(watch);
        } else if (bar?.hasAttribute("value") && bar.value !== window.rockdrift_progress.at(-1)) {
            window.rockdrift_progress.push(bar.value / bar.max);
        }
    }, 20);
}
const PAGE_SCRIPT = `<script>(${page_script})();</script>`;

const TYPES = {".html": "text/html", ".js": "text/javascript", ".mjs": "text/javascript", ".wasm": "application/wasm",
               ".json": "application/json", ".webmanifest": "application/manifest+json", ".png": "image/png"};
const servers = new Map();

// A static server for one folder, as a host serves the site: every file but
// the images gzipped when asked (gzip), revalidated by its ETag, and the
// driver's script first in each page unless the page is to be left as it is
// (plain).
export function serve(folder, {gzip = false, plain = false} = {}) {
    const server = http.createServer((request, response) => {
        const where = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
        // Absolute, so normalising it never leads out of the folder.
        const file = path.join(folder, path.normalize(where), where.endsWith("/") ? "index.html" : "");
        fs.readFile(file, (error, body) => {
            if (error) {
                response.writeHead(404).end();
                return;
            }
            const type = TYPES[path.extname(file)] ?? "application/octet-stream";
            if (type === "text/html" && !plain) {
                body = Buffer.from(String(body).replace(/<head>/i, (head) => head + PAGE_SCRIPT));
            }
            const headers = {"content-type": type, "cache-control": "no-cache",
                             "etag": `"${zlib.crc32(body)}-${body.length}"`};
            if (request.headers["if-none-match"] === headers.etag) {
                body = Buffer.alloc(0);
            } else if (gzip && type !== "image/png" && /\bgzip\b/.test(request.headers["accept-encoding"] ?? "")) {
                body = zlib.gzipSync(body, {level: 9});
                headers["content-encoding"] = "gzip";
            }
            served.sent += body.length + JSON.stringify(headers).length;
            response.writeHead(body.length > 0 ? 200 : 304, headers).end(body);
        });
    });
    // A page of an earlier game may still ask for a file as its server
    // stops: its count goes on, out of sight.
    const served = {server, sockets: new Set(), sent: 0};
    server.on("connection", (socket) => {
        served.sockets.add(socket);
        socket.on("close", () => served.sockets.delete(socket));
    });
    return new Promise((listening) => server.listen(0, "127.0.0.1", () => {
        const url = `http://127.0.0.1:${server.address().port}/`;
        servers.set(url, served);
        listening(url);
    }));
}

// The bytes the server at this address has sent, headers and all.
export const bytes_sent = (url) => servers.get(url).sent;

export function unserve(url) {
    const {server, sockets} = servers.get(url);
    server.close();
    sockets.forEach((socket) => socket.destroy());
    servers.delete(url);
}

// Answers the commands read from standard input (see the top).
async function drive(engine) {
    const opened = await open_browser(engine);
    let {page, devtools} = opened;
    let context = null;
    await page.setViewport(LAPTOP);

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
        async fresh() {
            fingers.clear();
            if (engine === "webkit") {
                await page.renew();
            } else {
                // The new page first, then the old one goes.
                const old = context;
                context = await opened.browser.createBrowserContext();
                page = await context.newPage();
                await old?.close();
                devtools = engine === "chromium" ? await page.createCDPSession() : null;
                await devtools?.send("Performance.enable");
            }
            await page.setViewport(LAPTOP);
        },
        async serve(folder) {
            return `url=${await serve(folder)}`;
        },
        async unserve(url) {
            unserve(url);
        },
        async open(url, second) {
            const opened = performance.now();
            await page.goto(second === undefined ? url : `${url}?second=${second}`, {waitUntil: "load"});
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
        async click(x, y, button = "1") {
            await page.mouse.click(...(await page_point(x, y)), {button: BUTTONS[button]});
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
        async shot(file, top, bottom) {
            const url = await page.evaluate(async (top, bottom) => {
                const rows = new OffscreenCanvas(1024, bottom - top).getContext("2d");
                rows.drawImage(document.getElementById("canvas"), 0, top, 1024, bottom - top, 0, 0, 1024, bottom - top);
                const reader = new FileReader();
                const read = new Promise((done) => reader.onload = () => done(reader.result));
                reader.readAsDataURL(new Blob([rows.getImageData(0, 0, 1024, bottom - top).data]));
                return read;
            }, Number(top), Number(bottom));
            fs.writeFileSync(file, Buffer.from(url.slice(url.indexOf(",") + 1), "base64"));
        },
        async settle() {
            await page.evaluate(() => new Promise((done) => setTimeout(done, 20)));
        },
        async page() {
            const state = await page.evaluate(() => {
                const box = document.getElementById("canvas").getBoundingClientRect();
                const shown = (id) => document.getElementById(id)?.checkVisibility();
                const {scrollWidth, scrollHeight} = document.documentElement;
                return {
                    title: document.title,
                    ended: document.getElementById("ended")?.hidden === false ? 1 : 0,
                    status: document.getElementById("ended")?.dataset.status ?? "",
                    focused: document.activeElement ? document.activeElement.id || document.activeElement.tagName : "",
                    scrolled: window.scrollY,
                    frames: window.rockdrift_frames.length,
                    first_frame_ms: window.rockdrift_frames[0] ?? null,
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
                    memory_kib: (window.rockdrift_memory?.buffer.byteLength ?? 0) / 1024,
                };
            });
            return Object.entries(state).map(([name, value]) => `${name}=${value}`).join(" ");
        },
        async console(file) {
            fs.writeFileSync(file, await page.evaluate(() => document.getElementById("console").textContent));
        },
        async sample(ms) {
            const frames = () => page.evaluate(() => window.rockdrift_frames.length);
            const before = await frames();
            const task_before = await task_seconds();
            const wall_before = performance.now();
            await new Promise((done) => setTimeout(done, Number(ms)));
            const task_after = await task_seconds();
            const wall_after = performance.now();
            // The frames within, and the last one before them.
            const times = await page.evaluate((from) => window.rockdrift_frames.slice(from), Math.max(before - 1, 0));
            const gaps = times.slice(1).map((time, i) => time - times[i]).sort((a, b) => a - b);
            return `frames=${times.length - (before > 0 ? 1 : 0)} frame_ms=${(times.at(-1) - times[0]).toFixed(1)}` +
                   ` gap_ms=${(gaps[Math.floor(gaps.length / 2)] ?? NaN).toFixed(2)}` +
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
    await opened.browser.close();
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
    await drive(process.argv[2] ?? "chromium");
    // The sites' servers would keep Node going.
    process.exit(0);
}
