// Keeps the site for offline play. At install it stores every file of this release (the
// build writes their names below); the page and the manifest come from the network
// first, so a new release is seen at once, and from the store when offline; every other
// file carries its contents' hash in its name and is served from the store. A new
// release brings a new list, so the browser installs this worker again and the old
// release's store is dropped once the new one is in place.
'use strict';

var RELEASE = 'lantern-blade-@RELEASE@';
var FILES = @FILES@;
var FRESH = ['./', 'index.html', 'manifest.webmanifest'];

self.addEventListener('install', function(event) {
  event.waitUntil(caches.open(RELEASE).then(function(cache) {
    return cache.addAll(FILES);
  }).then(function() {
    return self.skipWaiting();
  }));
});

self.addEventListener('activate', function(event) {
  event.waitUntil(caches.keys().then(function(names) {
    return Promise.all(names.filter(function(name) {
      return name.indexOf('lantern-blade-') === 0 && name !== RELEASE;
    }).map(function(name) { return caches.delete(name); }));
  }).then(function() {
    return self.clients.claim();
  }));
});

function fresh(request) {
  var path = new URL(request.url).pathname;
  var scope = new URL(self.registration.scope).pathname;
  var name = path.indexOf(scope) === 0 ? path.slice(scope.length) : path;
  return request.mode === 'navigate' || FRESH.indexOf(name || './') >= 0;
}

self.addEventListener('fetch', function(event) {
  var request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  if (fresh(request)) {
    // Offline, or the host failed: the kept copy (for a page, the kept index.html).
    var kept = function(response) {
      return caches.match(request, {ignoreSearch: true}).then(function(copy) {
        return copy || (request.mode === 'navigate' ? caches.match('index.html') : null);
      }).then(function(copy) {
        return copy || response || Response.error();
      });
    };
    event.respondWith(fetch(request).then(function(response) {
      if (!response.ok) return kept(response);
      var copy = response.clone();
      caches.open(RELEASE).then(function(cache) { cache.put(request, copy); });
      return response;
    }, function() {
      return kept(null);
    }));
    return;
  }
  event.respondWith(caches.match(request).then(function(kept) {
    return kept || fetch(request);
  }));
});
