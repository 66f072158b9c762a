// The world ranking, for a page served by lantern-blade-server (its /api/ answers on the
// page's own origin; a page served by any other host sends nothing). A run kept by the
// game is sent under the name the player set in the page, with a secret made on the first
// sending and kept in this browser's IndexedDB, which holds the name on the server. A run
// that finds no answer (offline, a server error, a rate limit) is kept there too and sent
// again, oldest first, before the next one and at the next visit. What the server says
// comes back as a note.
'use strict';

var LanternWorld = (function() {
  var API = '/api/';
  var DATABASE = 'lantern-blade-world';
  var NAME = /^[\x20-\x7e]{1,16}$/;
  var DEMO_LIMIT = 64 * 1024;
  var POLL_MS = 1000;
  var VERDICT_WAIT_MS = 120000;
  var say = function() {};  // a note for the player
  var served = null;  // a promise: whether the server answers
  var queue = Promise.resolve();  // sendings one after the other

  function open() {
    return new Promise(function(resolve, reject) {
      var request = indexedDB.open(DATABASE, 1);
      request.onupgradeneeded = function() {
        request.result.createObjectStore('keep');
        request.result.createObjectStore('outbox', {autoIncrement: true});
      };
      request.onsuccess = function() { resolve(request.result); };
      request.onerror = function() { reject(request.error); };
    });
  }

  // Runs `work` on the stores in one transaction; resolves with what it returns (a
  // request's result once the transaction completed).
  function transact(stores, mode, work) {
    return open().then(function(db) {
      return new Promise(function(resolve, reject) {
        var transaction = db.transaction(stores, mode);
        var result = work(transaction);
        transaction.oncomplete = function() {
          db.close();
          resolve(result && 'result' in result ? result.result : result);
        };
        transaction.onerror = transaction.onabort = function() {
          db.close();
          reject(transaction.error);
        };
      });
    });
  }

  function newSecret() {
    var bytes = new Uint8Array(24);
    crypto.getRandomValues(bytes);
    return Array.prototype.map.call(bytes, function(b) { return (b < 16 ? '0' : '') + b.toString(16); }).join('');
  }

  // The secret, made and kept on first use.
  function secret() {
    return transact(['keep'], 'readwrite', function(transaction) {
      var store = transaction.objectStore('keep');
      var kept = {result: null};
      store.get('secret').onsuccess = function(event) {
        kept.result = event.target.result || newSecret();
        if (!event.target.result) store.put(kept.result, 'secret');
      };
      return kept;
    });
  }

  function isServed() {
    if (!served) {
      served = fetch(API + 'ranking?limit=1', {cache: 'no-store'}).then(function(answer) {
        return answer.ok && answer.json().then(function(body) { return Array.isArray(body.entries); });
      }).catch(function() { return false; });
    }
    return served;
  }

  // {outcome: 'accepted' | 'refused' | 'failed', id, message}
  function post(demo, name, key) {
    return fetch(API + 'runs', {method: 'POST', body: demo, cache: 'no-store',
                                headers: {'Content-Type': 'application/octet-stream', 'X-Player-Name': name,
                                          'X-Player-Secret': key}})
      .then(function(answer) {
        return answer.json().catch(function() { return {}; }).then(function(body) {
          if (answer.status === 202) return {outcome: 'accepted', id: body.id};
          var message = body.error || 'the server answered ' + answer.status;
          var again = answer.status >= 500 || answer.status === 429 || answer.status === 408;
          return {outcome: again ? 'failed' : 'refused', message: message};
        });
      }, function(error) {
        return {outcome: 'failed', message: 'no answer from the server (' + error.message + ')'};
      });
  }

  function wait(ms) {
    return new Promise(function(resolve) { setTimeout(resolve, ms); });
  }

  // The run's state once it is no longer queued, or null when the wait ends first.
  function verdict(id, until) {
    return fetch(API + 'runs/' + id, {cache: 'no-store'}).then(function(answer) {
      return answer.ok ? answer.json() : null;
    }).catch(function() { return null; }).then(function(run) {
      if (run && (run.state === 'verified' || run.state === 'refused')) return run;
      if (performance.now() >= until) return null;
      return wait(POLL_MS).then(function() { return verdict(id, until); });
    });
  }

  function sayVerdict(id) {
    verdict(id, performance.now() + VERDICT_WAIT_MS).then(function(run) {
      if (!run) {
        say('World ranking: still in the queue');
      } else if (run.state === 'verified') {
        say('World ranking: verified, score ' + run.score + ' in ' + (run.time_ms / 1000).toFixed(3) + ' s');
      } else {
        say('World ranking: refused: ' + run.reason);
      }
    });
  }

  function keepUnsent(demo) {
    return transact(['outbox'], 'readwrite', function(transaction) {
      transaction.objectStore('outbox').add(demo);
    });
  }

  // Sends the kept runs, oldest first; each the server answers for leaves the outbox,
  // and the first that finds no answer stops the round. Resolves with whether all went.
  function sendKept(name, key) {
    return transact(['outbox'], 'readonly', function(transaction) {
      var found = {result: []};
      transaction.objectStore('outbox').openCursor().onsuccess = function(event) {
        var cursor = event.target.result;
        if (!cursor) return;
        found.result.push([cursor.key, cursor.value]);
        cursor.continue();
      };
      return found;
    }).then(function(kept) {
      return kept.reduce(function(before, entry) {
        return before.then(function(going) {
          if (!going) return false;
          return post(entry[1], name, key).then(function(sent) {
            if (sent.outcome === 'failed') return false;
            if (sent.outcome === 'accepted') sayVerdict(sent.id);
            return transact(['outbox'], 'readwrite', function(transaction) {
              transaction.objectStore('outbox').delete(entry[0]);
            }).then(function() { return true; });
          });
        });
      }, Promise.resolve(true));
    });
  }

  function send(demo, name) {
    return isServed().then(function(yes) {
      if (!yes) return;
      if (!NAME.test(name)) {
        say('Set your name (Settings) to send runs to the world ranking');
        return;
      }
      return secret().then(function(key) {
        return sendKept(name, key).then(function() { return post(demo, name, key); }).then(function(sent) {
          if (sent.outcome === 'accepted') {
            say('World ranking: sent, waiting for its verdict');
            sayVerdict(sent.id);
          } else if (sent.outcome === 'refused') {
            say('World ranking: refused: ' + sent.message);
          } else {
            return keepUnsent(demo).then(function() {
              say('World ranking: not sent (' + sent.message + '); kept, and sent with the next run');
            });
          }
        });
      });
    }).catch(function(error) {
      say('World ranking: not sent: ' + error);
    });
  }

  return {
    // Runs kept at an earlier visit go as soon as there is a server and a name.
    // `note(text)` shows the player what came of a run.
    start: function(name, note) {
      say = note;
      queue = queue.then(function() {
        return isServed().then(function(yes) {
          if (!yes || !NAME.test(name)) return;
          return secret().then(function(key) { return sendKept(name, key); });
        }).catch(function() {});
      });
    },
    // Whether the page is served by a world ranking server (a promise).
    served: isServed,
    // Sends a demo file's bytes under the name ('' when unset: then it says what to
    // set); nothing over what the server takes.
    send: function(demo, name) {
      if (demo.length > DEMO_LIMIT) {
        say('World ranking: the run is over 64 KB, more than the server takes');
        return queue;
      }
      queue = queue.then(function() { return send(demo, name); });
      return queue;
    },
    validName: function(name) { return NAME.test(name); },
  };
})();
