// The page around the game: loads it (the file names come from this script's tag, so a
// release's files can carry their contents' hash), places the picture, the notice and
// the buttons (page_layout.js), holds the game on its first frame until a key, a click
// or a touch (which also lets the sound start), shows what went wrong when the game
// cannot run, and keeps the site for offline play (sw.js).
'use strict';

var Module = (function() {
  var script = document.currentScript;
  var files = {
    'lantern-blade.wasm': script.dataset.wasm,
    'lantern-blade.data': script.dataset.data,
  };
  var canvas = document.getElementById('screen');
  var notice = document.getElementById('notice');
  var touch = document.getElementById('touch');
  var failed = false;
  // A run named in the address, or a whole session's demo kept across the reload that
  // started the game again for it, is watched from the game's start-up (as --playdemo
  // shows it) at the first key; then the page plays on without it.
  var WATCH_KEY = 'lantern-blade-watch';
  var keptWatch = takeKeptWatch();
  var watchAtLoad = keptWatch !== null || namedRun() !== null;

  function say(text) {
    if (failed) return;
    notice.textContent = text;
    LanternLayout.place();
  }

  function fail(text) {
    if (failed) return;
    say(text);
    notice.classList.add('error');
    failed = true;
  }

  // The game's WebAssembly uses SIMD: a module of one SIMD function (a splat and a
  // population count, the instruction set's last) tells whether this browser has it.
  function runsWebAssemblySimd() {
    var simd = [0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0, 65, 0,
                253, 15, 253, 98, 11];
    return typeof WebAssembly === 'object' && WebAssembly.validate(new Uint8Array(simd));
  }

  var module = {
    canvas: canvas,
    frameRecord: [],
    started: false,
    ended: false,
    noInitialRun: watchAtLoad,
    locateFile: function(name) {
      return files[name] || name;
    },
    setStatus: function(text) {
      var progress = /\((\d+)\/(\d+)\)/.exec(text || '');
      if (progress) say('Loading… ' + Math.floor(100 * progress[1] / progress[2]) + ' %');
    },
    onRuntimeInitialized: function() {
      keepSite();
      offerBestDemo();
      LanternWorld.start(playerName(), note);
      if (keptWatch) watch(keptWatch); else watchNamedRun();
      // The tests' switch: a key script on a virtual clock instead of the player.
      if (typeof window.lbKeyScript === 'string') {
        module.callNow('WebUseVirtualClock', null, [window.lbKeyScript]);
        module.started = true;
      }
      if (module.started) {
        begin();
      } else {
        invite();
      }
    },
    onAbort: function(what) {
      fail('The game stopped: ' + what + '. Reload the page to play again.');
    },
    onExit: function(code) {
      module.ended = true;
      if (watchAtLoad) {
        forgetNamedRun();
        if (code === 0) {
          location.reload();
        } else {
          fail('This run cannot be shown here (the console says why). Reload the page to play.');
        }
        return;
      }
      say('The game has ended. Reload the page to play again.');
    },
    toggleFullscreen: function() {
      if (document.fullscreenElement) {
        document.exitFullscreen();
      } else if (document.documentElement.requestFullscreen) {
        document.documentElement.requestFullscreen().catch(function() {});
      }
    },
  };

  // The worker keeps the release for offline play; it is asked for once the game has
  // loaded, so that it finds the game's files in the browser's cache.
  function keepSite() {
    if (!('serviceWorker' in navigator)) return;
    navigator.serviceWorker.register('sw.js').catch(function(error) {
      console.warn('lantern-blade: no offline play: ' + error);
    });
  }

  // The first key, click or touch starts the game (browsers let a page start its sound
  // only after the player did something on it); it does nothing else.
  function start(event) {
    if (module.started || failed) return;
    event.preventDefault();
    event.stopImmediatePropagation();
    module.started = true;
    document.body.classList.add('started');
    if (module.unlockAudio) module.unlockAudio();
    if (module.calledRun) begin();
  }
  function begin() {
    say('');
    if (!watchAtLoad) module._WebStart();
    watchNow();
  }
  window.addEventListener('keydown', start, true);
  window.addEventListener('pointerdown', start, true);

  window.addEventListener('error', function(event) {
    fail('The game could not load: ' + event.message +
         '. Check that every file of the site is on the server, then reload the page.');
  });
  window.addEventListener('unhandledrejection', function(event) {
    fail('The game could not load: ' + event.reason + '. Reload the page to try again.');
  });
  document.addEventListener('securitypolicyviolation', function(event) {
    fail('The site\'s Content-Security-Policy blocks ' + event.effectiveDirective + ' ' +
         (event.blockedURI || '') + ': serve the site with the policy docs/WEB.md gives.');
  });

  // The demo of a ranked run, to keep or share: the one kept last this visit, else the
  // best one kept before.
  var download = document.getElementById('download');
  var demo = null;
  function offerDemo(path) {
    demo = path;
    download.hidden = false;
    LanternLayout.place();
  }
  function offerBestDemo() {
    var folder = '/txt/Ranking/demos';
    if (!module.FS.analyzePath(folder).exists) return;
    var best = -1;
    module.FS.readdir(folder).forEach(function(name) {
      var score = /^(\d+)-0\.lbdemo$/.exec(name);
      if (score && Number(score[1]) > best) best = Number(score[1]);
    });
    if (best >= 0) offerDemo(folder + '/' + best + '-0.lbdemo');
  }
  // A run the game kept (it entered the ranking, or is the player's best) goes to the
  // world ranking when the page is served by its server; the same run kept twice goes once.
  var sentRuns = {};
  module.demoKept = function(path) {
    offerDemo(path);
    sendRun(path, false);
  };
  // S on the ranking: first place's run, sent again if asked.
  module.sendDemo = function(path) {
    sendRun(path, true);
  };
  function sendRun(path, again) {
    if (!module.started || !module.FS.analyzePath(path).exists) return;
    var bytes = module.FS.readFile(path);
    var digest = bytes.length + ':' + Array.prototype.reduce.call(bytes, function(h, b) {
      return Math.imul(h ^ b, 16777619) >>> 0;
    }, 2166136261);
    if (sentRuns[digest] && !again) return;
    sentRuns[digest] = true;
    LanternWorld.send(bytes, playerName());
  }
  download.addEventListener('click', function(event) {
    event.currentTarget.blur();
    if (!demo || !module.FS.analyzePath(demo).exists) return;
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([module.FS.readFile(demo)], {type: 'application/octet-stream'}));
    link.download = 'lantern-blade-' + demo.split('/').pop();
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
  });

  // A run to watch: named in the address (the world ranking's Watch links give
  // #demo=/api/runs/ID/demo) or dropped on the page as a .lbdemo file. It plays once the
  // game has started (the first key, click or touch).
  var WATCH_PATH = '/tmp/watched.lbdemo';
  var WATCH_LIMIT = 1 << 20;
  var toWatch = null;
  var watchingAtLoad = false;  // main plays the run asked for at load
  function watch(bytes) {
    if (bytes.length > WATCH_LIMIT) {
      playInstead();
      note('That file is too large to be a demo of this game');
      return;
    }
    if (watchingAtLoad) {
      keepAndReload(bytes);
      return;
    }
    toWatch = bytes;
    if (module.started && module.calledRun) watchNow();
  }
  function watchNow() {
    if (!toWatch) return;
    module.FS.writeFile(WATCH_PATH, toWatch);
    toWatch = null;
    if (watchAtLoad) {
      watchingAtLoad = true;
      module.callMain([WATCH_PATH]);
      module._WebStart();
    } else {
      module.callNow('WebWatch', null, [WATCH_PATH]);
    }
  }
  // A run asked for at load that cannot be had: the game is played instead.
  function playInstead() {
    if (!watchAtLoad) return;
    watchAtLoad = false;
    forgetNamedRun();
    module.callMain([]);
    if (module.started) {
      module._WebStart();
    } else {
      invite();
    }
  }
  function invite() {
    say('Press any key, click or touch to ' + (watchAtLoad ? 'watch the run' : 'play'));
  }
  // The game met a whole session's demo while it played: the page starts again to watch
  // it from the start-up, keeping its bytes for the reload in this tab's session storage.
  module.watchFromStart = function(path) {
    keepAndReload(module.FS.readFile(path));
  };
  function keepAndReload(bytes) {
    try {
      var text = '';
      for (var i = 0; i < bytes.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      }
      sessionStorage.setItem(WATCH_KEY, btoa(text));
    } catch (error) {
      note('This run cannot be watched here: ' + error.message);
      return;
    }
    location.reload();
  }
  function takeKeptWatch() {
    try {
      var text = sessionStorage.getItem(WATCH_KEY);
      sessionStorage.removeItem(WATCH_KEY);
      if (text === null) return null;
      var binary = atob(text);
      var bytes = new Uint8Array(binary.length);
      for (var i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
      return bytes;
    } catch (error) {
      return null;
    }
  }
  // The address without the run it named, so that a reload plays.
  function forgetNamedRun() {
    history.replaceState(null, '', location.pathname + location.search);
  }
  function namedRun() {
    var named = /(?:^#|&)demo=([^&]+)/.exec(location.hash);
    return named ? named[1] : null;
  }
  function watchNamedRun() {
    var named = namedRun();
    if (!named) return;
    var address = null;
    try {
      address = new URL(decodeURIComponent(named), location.href);
    } catch (error) {
      address = null;
    }
    if (!address || address.origin !== location.origin) {
      playInstead();
      note('Only runs from this site can be watched here');
      return;
    }
    fetch(address.href).then(function(answer) {
      if (!answer.ok) throw new Error('the server answered ' + answer.status);
      return answer.arrayBuffer();
    }).then(function(buffer) {
      watch(new Uint8Array(buffer));
    }).catch(function(error) {
      playInstead();
      note('The run could not be fetched: ' + error.message);
    });
  }
  window.addEventListener('hashchange', function() {
    // A run watched from the start-up is the page's whole game: it starts again for another.
    if (watchAtLoad) {
      location.reload();
    } else if (module.calledRun) {
      watchNamedRun();
    }
  });
  window.addEventListener('dragover', function(event) {
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
  });
  window.addEventListener('drop', function(event) {
    event.preventDefault();
    var file = event.dataTransfer.files[0];
    if (!file || !module.calledRun) return;
    if (!/\.lbdemo$/i.test(file.name)) {
      note('Drop a .lbdemo file to watch it');
      return;
    }
    file.arrayBuffer().then(function(buffer) { watch(new Uint8Array(buffer)); });
  });

  // The player's name for the world ranking and classic play live in the game's settings.
  function playerName() {
    return module.callNow('WebPlayerName', 'string');
  }
  // The world ranking's answers are longer than the game's notes.
  function note(text) {
    if (module.showNote) module.showNote(text, 4000);
  }
  var panel = document.getElementById('settings-panel');
  var nameField = document.getElementById('player-name');
  var nameProblem = document.getElementById('name-problem');
  var classic = document.getElementById('classic');
  document.getElementById('settings').addEventListener('click', function(event) {
    event.currentTarget.blur();
    if (!module.calledRun || panel.open) return;
    nameField.value = playerName();
    classic.checked = module.callNow('WebClassic', 'number') !== 0;
    nameProblem.hidden = true;
    module._WebHold(1);
    panel.showModal();
  });
  panel.addEventListener('close', function() { module._WebHold(0); });
  function saveSettings() {
    var name = nameField.value;
    if (name !== '' && !LanternWorld.validName(name)) {
      nameProblem.hidden = false;
      nameField.focus();
      return;
    }
    module.callNow('WebChangeSettings', null, [name, classic.checked ? 1 : 0]);
    panel.close();
  }
  document.getElementById('settings-save').addEventListener('click', saveSettings);
  document.getElementById('settings-cancel').addEventListener('click', function() { panel.close(); });
  // Keys typed in the panel are the player's text, not the game's.
  ['keydown', 'keyup'].forEach(function(type) {
    panel.addEventListener(type, function(event) {
      event.stopPropagation();
      if (type === 'keydown' && event.key === 'Enter') {
        event.preventDefault();
        saveSettings();
      }
    });
  });

  document.getElementById('fullscreen').addEventListener('click', function(event) {
    module.toggleFullscreen();
    event.currentTarget.blur();
  });

  // Touch buttons: shown on a touch screen, or as soon as the screen is touched.
  function showTouch() {
    if (touch.classList.contains('shown')) return;
    touch.classList.add('shown');
    document.body.classList.add('touch');
    LanternLayout.place();
  }
  if (navigator.maxTouchPoints > 0 || window.matchMedia('(pointer: coarse)').matches) showTouch();
  window.addEventListener('touchstart', showTouch, {passive: true});
  Array.prototype.forEach.call(touch.querySelectorAll('button'), function(button) {
    var key = Number(button.dataset.key);
    var pointers = 0;
    function press(event) {
      event.preventDefault();
      button.setPointerCapture(event.pointerId);
      if (pointers++ === 0 && module._WebTouchKey) module._WebTouchKey(key, 1);
      button.classList.add('held');
    }
    function release(event) {
      event.preventDefault();
      if (pointers === 0) return;
      if (--pointers === 0) {
        if (module._WebTouchKey) module._WebTouchKey(key, 0);
        button.classList.remove('held');
      }
    }
    button.addEventListener('pointerdown', press);
    button.addEventListener('pointerup', release);
    button.addEventListener('pointercancel', release);
    button.addEventListener('contextmenu', function(event) { event.preventDefault(); });
  });

  LanternLayout.watch();

  if (location.protocol === 'file:') {
    fail('This page cannot run from a file: serve it over http (for example ' +
         '"python3 -m http.server" in its folder, then open http://localhost:8000/).');
    return module;
  }
  if (!runsWebAssemblySimd()) {
    fail('This browser cannot run the game: it needs WebAssembly with SIMD, which Chrome and ' +
         'Edge have since version 91, Firefox since 89 and Safari since 16.4. Update it, or ' +
         'open the page in another.');
    return module;
  }
  var game = document.createElement('script');
  game.src = script.dataset.game;
  game.onerror = function() {
    fail(script.dataset.game + ' could not be loaded: check that every file of the site is on the ' +
         'server, then reload the page.');
  };
  document.body.appendChild(game);
  return module;
})();
