// Where the page puts the picture, the notice and the buttons, at any window size.
//
// The picture: whole multiples of 640x480 (in device pixels) where one fills most of
// the room, else the largest size that fits, still with square pixels (the canvas is
// drawn with nearest sampling); never cropped. The touch buttons take a band of their
// own beside the picture (landscape) or below it (portrait) where that leaves a picture
// at least half the size it would have over the whole window; else they lie over the
// picture's lower corners. The notice sits over the middle of the picture, clear of
// every button. The demo's download button and the settings button go beside the
// fullscreen button (below it in a band too narrow for them). Without touch buttons the
// three of them stand in a margin the picture leaves, else in a strip above it.
'use strict';

var LanternLayout = (function() {
  var WIDTH = 640, HEIGHT = 480;
  // A whole multiple is used when it is at least this share of the size that fits.
  var WHOLE_SHARE = 0.85;
  var MARGIN = 10;
  var BUTTON_MAX = 76, BUTTON_MIN = 44;
  var FULLSCREEN_W = 96, FULLSCREEN_H = 30;
  // Button centres in a box three buttons wide and high, in button sizes.
  var PAD = {38: [1, 0], 37: [0, 1], 39: [2, 1], 40: [1, 2]};
  var ACTIONS = {67: [0, 0.75], 88: [2, 0], 90: [1.5, 1.5]};

  function pictureScale(width, height, ratio) {
    var fit = Math.min(width / WIDTH, height / HEIGHT);
    var whole = Math.floor(fit * ratio);
    if (whole >= 1 && whole >= WHOLE_SHARE * fit * ratio) return whole / ratio;
    // Whole device pixels, rounded down so nothing is cut.
    return Math.floor(fit * WIDTH * ratio) / ratio / WIDTH;
  }

  function rect(x, y, w, h) {
    return {x: x, y: y, w: w, h: h};
  }

  // The picture centred in the room.
  function picture(room, ratio) {
    var scale = pictureScale(room.w, room.h, ratio);
    var w = WIDTH * scale, h = HEIGHT * scale;
    return rect(room.x + (room.w - w) / 2, room.y + (room.h - h) / 2, w, h);
  }

  function buttons(box, size, places) {
    var out = {};
    Object.keys(places).forEach(function(key) {
      out[key] = rect(box.x + places[key][0] * size, box.y + places[key][1] * size, size, size);
    });
    return out;
  }

  // Buttons of `size` in two boxes at the lower corners of the window, the fullscreen
  // button at the top right, the picture in `room`.
  function withButtons(width, height, ratio, room, size, fullscreen) {
    var box = 3 * size;
    var top = height - MARGIN - box;
    var pad = buttons(rect(MARGIN, top, box, box), size, PAD);
    var actions = buttons(rect(width - MARGIN - box, top, box, box), size, ACTIONS);
    Object.keys(actions).forEach(function(key) { pad[key] = actions[key]; });
    return {picture: picture(room, ratio), buttons: pad, fullscreen: fullscreen, clearAbove: top - MARGIN};
  }

  // The download and settings buttons in a column under the fullscreen button.
  function stacked(placed) {
    placed.download = rect(placed.fullscreen.x, placed.fullscreen.y + FULLSCREEN_H + MARGIN,
                           FULLSCREEN_W, FULLSCREEN_H);
    placed.settings = rect(placed.fullscreen.x, placed.download.y + FULLSCREEN_H + MARGIN,
                           FULLSCREEN_W, FULLSCREEN_H);
    return placed;
  }

  // No touch buttons: the page's three in a column right of the picture where its margin
  // holds them, else in a row in a strip of their own above it.
  function withoutTouch(width, height, ratio) {
    var fullscreen = rect(width - MARGIN - FULLSCREEN_W, MARGIN, FULLSCREEN_W, FULLSCREEN_H);
    var pic = picture(rect(0, 0, width, height), ratio);
    if (width - pic.x - pic.w >= FULLSCREEN_W + 2 * MARGIN) {
      return stacked({picture: pic, buttons: {}, fullscreen: fullscreen, clearAbove: height});
    }
    var strip = FULLSCREEN_H + 2 * MARGIN;
    if (pic.y < strip) pic = picture(rect(0, strip, width, height - strip), ratio);
    return {picture: pic, buttons: {}, fullscreen: fullscreen, clearAbove: height};
  }

  // Every place for a window of that size; `touch` when the touch buttons are shown.
  function compute(width, height, ratio, touch) {
    var whole = rect(0, 0, width, height);
    if (!touch) return withoutTouch(width, height, ratio);
    var full = pictureScale(width, height, ratio);
    // Below: two boxes side by side, the fullscreen button above the right one.
    var below = Math.min(BUTTON_MAX, (width - 3 * MARGIN) / 6);
    var belowBand = 3 * below + FULLSCREEN_H + 3 * MARGIN;
    var belowRoom = rect(0, 0, width, height - belowBand);
    // Beside: one box each side, the fullscreen button over the right one.
    var beside = Math.min(BUTTON_MAX, (height - 4 * MARGIN - 2 * FULLSCREEN_H) / 3);
    var besideBand = Math.max(3 * beside, FULLSCREEN_W) + 2 * MARGIN;
    var besideRoom = rect(besideBand, 0, width - 2 * besideBand, height);
    var choices = [];
    if (below >= BUTTON_MIN && belowRoom.h > 0) {
      choices.push({room: belowRoom, size: below,
                    fullscreen: rect(width - MARGIN - FULLSCREEN_W, height - belowBand + MARGIN,
                                     FULLSCREEN_W, FULLSCREEN_H)});
    }
    if (beside >= BUTTON_MIN && besideRoom.w > 0) {
      choices.push({room: besideRoom, size: beside,
                    fullscreen: rect(width - MARGIN - FULLSCREEN_W, MARGIN, FULLSCREEN_W, FULLSCREEN_H)});
    }
    var best = null;
    choices.forEach(function(choice) {
      choice.scale = pictureScale(choice.room.w, choice.room.h, ratio);
      if (choice.scale >= full / 2 && (!best || choice.scale > best.scale)) best = choice;
    });
    if (best) {
      var placed = withButtons(width, height, ratio, best.room, best.size, best.fullscreen);
      placed.clearAbove = height;
      return best.room === besideRoom ? stacked(placed) : placed;
    }
    // No room beside the picture: over its lower corners, the notice kept above them.
    var size = Math.max(Math.min(BUTTON_MAX, width / 8, (height - FULLSCREEN_H - 4 * MARGIN) / 4), 24);
    return withButtons(width, height, ratio, whole, size,
                       rect(width - MARGIN - FULLSCREEN_W, MARGIN, FULLSCREEN_W, FULLSCREEN_H));
  }

  // Left of the fullscreen button, the settings button left of that, unless placed already.
  function withDownload(placed) {
    var fullscreen = placed.fullscreen;
    if (!placed.download) {
      placed.download = rect(fullscreen.x - MARGIN - FULLSCREEN_W, fullscreen.y, FULLSCREEN_W, FULLSCREEN_H);
      placed.settings = rect(placed.download.x - MARGIN - FULLSCREEN_W, fullscreen.y, FULLSCREEN_W, FULLSCREEN_H);
    }
    return placed;
  }

  function put(element, box) {
    element.style.left = box.x + 'px';
    element.style.top = box.y + 'px';
    element.style.width = box.w + 'px';
    element.style.height = box.h + 'px';
  }

  // The notice: centred over the picture (above the buttons when they lie on it), its
  // text as large as the picture allows.
  function placeNotice(notice, placed) {
    var pic = placed.picture;
    var bottom = Math.min(pic.y + pic.h, placed.clearAbove);
    var room = rect(pic.x + MARGIN, pic.y + MARGIN, pic.w - 2 * MARGIN, Math.max(bottom - pic.y - 2 * MARGIN, 0));
    var height = Math.min(room.h, Math.max(pic.h / 3, 48));
    notice.style.fontSize = Math.max(12, Math.min(34, pic.w / 22)) + 'px';
    put(notice, rect(room.x, room.y + (room.h - height) / 2, room.w, height));
  }

  function place() {
    var touch = document.getElementById('touch');
    var placed = withDownload(compute(window.innerWidth, window.innerHeight, window.devicePixelRatio || 1,
                                      touch.classList.contains('shown')));
    put(document.getElementById('screen'), placed.picture);
    put(document.getElementById('fullscreen'), placed.fullscreen);
    put(document.getElementById('download'), placed.download);
    put(document.getElementById('settings'), placed.settings);
    Array.prototype.forEach.call(touch.querySelectorAll('button'), function(button) {
      var box = placed.buttons[button.dataset.key];
      if (box) put(button, box);
    });
    placeNotice(document.getElementById('notice'), placed);
  }

  function watch() {
    window.addEventListener('resize', place);
    place();
  }

  return {compute: compute, place: place, watch: watch};
})();
