// The browser keeps the game's own files (the ranking, the settings) in IndexedDB: one
// record per file, keyed by its absolute path, holding its bytes, or null for a file that
// was moved away. The records are read before the game starts and written over the
// shipped files; the game then works on its files as on the desktop, and each change it
// makes durable (a finished atomic save) is stored in one transaction, waited for.
//
// Several tabs may play at once. Each writes the ranking holding a lock of the browser's
// (Web Locks, shared by every tab of the site), and under that lock first reloads the
// file from storage, so that the score it enters joins those other tabs saved meanwhile.
mergeInto(LibraryManager.library, {
  $LBStorage__postset: 'addOnPreRun(LBStorage.read); addOnPreMain(LBStorage.restore);',
  $LBStorage: {
    NAME: 'lantern-blade',
    STORE: 'files',
    // A save holds the lock for milliseconds; a holder that keeps it for seconds is stuck.
    LOCK_WAIT_MS: 5000,
    database: null,  // a promise of the open database
    loaded: [],      // [path, bytes or null] as read at start
    locks: {},       // id -> the function that releases the lock
    nextLock: 1,

    open: function() {
      if (!LBStorage.database) {
        LBStorage.database = new Promise(function(resolve, reject) {
          var request = indexedDB.open(LBStorage.NAME, 1);
          request.onupgradeneeded = function() { request.result.createObjectStore(LBStorage.STORE); };
          request.onsuccess = function() { resolve(request.result); };
          request.onerror = function() { reject(request.error); };
        });
      }
      return LBStorage.database;
    },

    // Runs `work` on the store in a transaction of its own; resolves with what `work`
    // returns once the transaction has completed (for a write: once it is kept).
    transact: function(mode, work) {
      return LBStorage.open().then(function(db) {
        return new Promise(function(resolve, reject) {
          var transaction = db.transaction(LBStorage.STORE, mode);
          var result = work(transaction.objectStore(LBStorage.STORE));
          transaction.oncomplete = function() { resolve(result); };
          transaction.onerror = transaction.onabort = function() { reject(transaction.error); };
        });
      });
    },

    read: function() {
      addRunDependency('lb-storage');
      LBStorage.transact('readonly', function(store) {
        var records = [];
        store.openCursor().onsuccess = function(event) {
          var cursor = event.target.result;
          if (!cursor) return;
          records.push([cursor.key, cursor.value]);
          cursor.continue();
        };
        return records;
      }).then(function(records) {
        LBStorage.loaded = records;
      }, function(error) {
        console.warn('lantern-blade: the browser keeps no files (' + error + '): scores last for this visit only');
      }).then(function() {
        removeRunDependency('lb-storage');
      });
    },

    put: function(path, bytes) {
      if (bytes === null) {
        if (FS.analyzePath(path).exists) FS.unlink(path);
        return;
      }
      FS.mkdirTree(PATH.dirname(path));
      FS.writeFile(path, bytes);
    },

    restore: function() {
      LBStorage.loaded.forEach(function(record) { LBStorage.put(record[0], record[1]); });
      LBStorage.loaded = [];
    },

    // Waits for the site-wide lock of that name; resolves with its release function, or
    // null when another tab keeps it too long. Browsers without Web Locks get no lock.
    lock: function(name) {
      if (!navigator.locks) return Promise.resolve(function() {});
      var abort = new AbortController();
      var timer = setTimeout(function() { abort.abort(); }, LBStorage.LOCK_WAIT_MS);
      return new Promise(function(resolve) {
        navigator.locks.request(name, {signal: abort.signal}, function() {
          clearTimeout(timer);
          return new Promise(function(release) { resolve(release); });
        }).catch(function() { resolve(null); });
      });
    },
  },

  // The id of the lock on that file's saves (> 0), with the file as stored now; 0 when
  // the lock cannot be had, -1 when storage failed.
  lbLockFile__deps: ['$LBStorage'],
  lbLockFile: function(pathPointer) {
    var path = UTF8ToString(pathPointer);
    return Asyncify.handleAsync(function() {
      return LBStorage.lock('lantern-blade:' + path).then(function(release) {
        if (!release) return 0;
        var id = LBStorage.nextLock++;
        LBStorage.locks[id] = release;
        return LBStorage.transact('readonly', function(store) { return store.get(path); }).then(function(request) {
          if (request.result !== undefined) LBStorage.put(path, request.result);
          return id;
        }, function() {
          release();
          delete LBStorage.locks[id];
          return -1;
        });
      });
    });
  },

  lbUnlockFile__deps: ['$LBStorage'],
  lbUnlockFile: function(id) {
    var release = LBStorage.locks[id];
    delete LBStorage.locks[id];
    if (release) release();
  },

  // Stores the file as it is now (null when it is gone), and returns once it is kept.
  lbKeepFile__deps: ['$LBStorage'],
  lbKeepFile: function(pathPointer) {
    var path = UTF8ToString(pathPointer);
    return Asyncify.handleAsync(function() {
      var bytes = FS.analyzePath(path).exists ? FS.readFile(path) : null;
      return LBStorage.transact('readwrite', function(store) { store.put(bytes, path); }).then(function() {
        // The page offers a kept demo for download (once: the game takes up its turn
        // again by calling here once more, where handleAsync only answers).
        if (bytes && /\.lbdemo$/.test(path) && Module['demoKept']) Module['demoKept'](path);
      }, function(error) {
        console.warn('lantern-blade: ' + path + ' not kept: ' + error);
      });
    });
  },
});
