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

  var module = {
    canvas: canvas,
    frameRecord: [],
    started: false,
    ended: false,
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
      // The tests' switch: a key script on a virtual clock instead of the player.
      if (typeof window.lbKeyScript === 'string') {
        module.ccall('WebUseVirtualClock', null, ['string'], [window.lbKeyScript]);
        module.started = true;
      }
      if (module.started) {
        module._WebStart();
        say('');
      } else {
        say('Press any key, click or touch to play');
      }
    },
    onAbort: function(what) {
      fail('The game stopped: ' + what + '. Reload the page to play again.');
    },
    onExit: function() {
      module.ended = true;
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
    if (module.calledRun) {
      module._WebStart();
      say('');
    }
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
  module.demoKept = offerDemo;
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
  var game = document.createElement('script');
  game.src = script.dataset.game;
  game.onerror = function() {
    fail(script.dataset.game + ' could not be loaded: check that every file of the site is on the ' +
         'server, then reload the page.');
  };
  document.body.appendChild(game);
  return module;
})();
