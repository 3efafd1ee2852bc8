// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the site for use with no network: everything is cached on the first
// visit and served from the cache after. A new page is a new worker (its
// version is the page's hash), which fills its own cache, takes over the open
// pages and drops the old cache.
const cacheName = "veltrin-@VERSION@";
const files = ["./", "index.html", "manifest.webmanifest", "veltrin-192.png", "veltrin-512.png"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(files)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith("veltrin-") && name !== cacheName)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((cached) => cached || fetch(event.request)));
});
