// Keeps the site's own files, so that the game plays with no network once it
// has loaded. The cache is named after the build: scripts/build-web.sh writes
// a hash of the site's files in place of @BUILD@, so a new build's worker is a
// new file. The browser checks this file on every visit; it installs a new
// one in the background, which fetches the new build, takes over and deletes
// the old build's cache; the page opened after that plays the new build.
"use strict";
const CACHE = "rockdrift-@BUILD@";
// What the game needs to start. The page is kept once, as "./", and answers
// every visit to the site's pages; the large icon is only for installing,
// which a browser does online.
const FILES = ["./", "rockdrift.js", "rockdrift.wasm", "assets.json", "assets.data", "manifest.webmanifest",
               "icon-192.png"];

self.addEventListener("install", (event) => {
    // Checked with the server against the browser's HTTP cache, which may
    // still hold the build before: a file the page has just downloaded is not
    // downloaded again.
    const requests = FILES.map((file) => new Request(file, {cache: "no-cache"}));
    event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(requests)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
    const old = (name) => name.startsWith("rockdrift-") && name !== CACHE;
    event.waitUntil(caches.keys()
                        .then((names) => Promise.all(names.filter(old).map((name) => caches.delete(name))))
                        .then(() => self.clients.claim()));
});

// This build's copy first; whatever it does not hold, from the network.
self.addEventListener("fetch", (event) => {
    const request = event.request.mode === "navigate" ? "./" : event.request;
    event.respondWith(caches.open(CACHE)
                          .then((cache) => cache.match(request, {ignoreSearch: true}))
                          .then((kept) => kept || fetch(event.request)));
});
