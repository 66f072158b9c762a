// The page around the game: the canvas scaled crisp and centred, the notice line, the
// fullscreen button, the touch buttons, and the first key or touch that lets the sound
// start. The game itself (lantern-blade.js) reads this Module when it loads.
'use strict';

var Module = (function() {
  var canvas = document.getElementById('screen');
  var notice = document.getElementById('notice');
  var touch = document.getElementById('touch');
  var WIDTH = 640, HEIGHT = 480;

  // The largest whole multiple that fits; on a screen smaller than the game, the largest
  // size that fits, still drawn with square pixels.
  function fit() {
    var scale = Math.min(window.innerWidth / WIDTH, window.innerHeight / HEIGHT);
    if (scale >= 1) scale = Math.floor(scale * window.devicePixelRatio) / window.devicePixelRatio;
    canvas.style.width = WIDTH * scale + 'px';
    canvas.style.height = HEIGHT * scale + 'px';
  }
  window.addEventListener('resize', fit);
  fit();

  function say(text) {
    notice.textContent = text;
  }

  var module = {
    canvas: canvas,
    frameRecord: [],
    soundStarted: false,
    setStatus: function(text) {
      if (text) say(text.replace(/\(\d+\/\d+\)/, '').replace('Downloading data...', 'Loading…'));
    },
    onRuntimeInitialized: function() {
      // The tests' switch: a key script on a virtual clock instead of the player.
      if (typeof window.lbKeyScript === 'string') {
        module.ccall('WebUseVirtualClock', null, ['string'], [window.lbKeyScript]);
      }
      say(module.soundStarted ? '' : 'Press a key or touch the screen to start the sound');
    },
    ended: false,
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

  // Browsers let a page start its sound only after the player did something on it.
  function startSound() {
    if (module.soundStarted || !module.unlockAudio) return;
    module.soundStarted = true;
    module.unlockAudio();
    if (!module.ended) say('');
  }
  window.addEventListener('keydown', startSound, true);
  window.addEventListener('pointerdown', startSound, true);

  document.getElementById('fullscreen').addEventListener('click', function(event) {
    module.toggleFullscreen();
    event.currentTarget.blur();
  });

  // Touch buttons: shown on a touch screen, or as soon as the screen is touched.
  function showTouch() {
    touch.classList.add('shown');
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

  return module;
})();
