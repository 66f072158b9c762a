// What the browser backend asks of the page (tools/web/page.js): the canvas a frame is
// put on, once at the end of the batch of turns that presented it and only where it
// changed (the browser shows it at its next refresh), or drawn through
// WebGL where there is a GPU: library_gl.js); the note about one of the backend's keys
// drawn over it; fullscreen; the frame record the tests read; and the timer that runs the
// game loop's turns.
mergeInto(LibraryManager.library, {
  // The page's own notes (the world ranking's answers), shown as the backend's are.
  $LBPage__postset: "Module['showNote'] = function(text, ms) { console.log('lantern-blade: ' + text); LBPage.show(text, ms); };" +
                    "Module['callNow'] = LBPage.callNow;",
  $LBPage__deps: ['$LBGL'],
  $LBPage: {
    context: null,  // the 2D context, null when drawing through WebGL
    width: 0,
    height: 0,
    image: null,  // an ImageData over the frame's RGBA in the game's memory
    dirty: null,  // [left, top, right, bottom] changed since the last put
    putPending: false,
    noteBox: null,  // where the note was drawn, put again once it is gone
    nextBatch: null,  // sets the game loop's next batch of turns going in that many ms
    note: '',
    noteUntil: 0,
    NOTE_MS: 1000,
    NOTE_BOX: [8, 20, 0, 60],  // left, top, (the text's width), bottom

    // Over the picture's top left corner, below the frame rate, as on the desktop: white
    // letters on the picture darkened. Where it was is put again with the next frame,
    // so the note goes with the first frame after its time.
    drawNote: function() {
      LBPage.noteBox = null;
      if (!LBPage.note || performance.now() > LBPage.noteUntil) return;
      var width = LBPage.paintNote(LBPage.context);
      var box = LBPage.NOTE_BOX;
      LBPage.noteBox = [box[0], box[1], Math.ceil(box[0] + 8 + width), box[3]];
    },

    // Draws the note on a 2D context; its text's width.
    paintNote: function(context) {
      context.font = 'bold 28px monospace';
      var width = context.measureText(LBPage.note).width;
      context.fillStyle = 'rgba(0, 0, 0, 0.69)';
      var box = LBPage.NOTE_BOX;
      context.fillRect(box[0], box[1], width + 8, box[3] - box[1]);
      context.fillStyle = '#fff';
      context.textBaseline = 'top';
      context.fillText(LBPage.note, 12, 26);
      return width;
    },

    // Calls one of the game's exported functions that never waits, with numbers or
    // strings, and returns its number or string at once, as ccall does but also while
    // the game waits for the browser: there ccall would answer with a promise, taking
    // the wait's one completion handler from whatever waited before it.
    callNow: function(name, returnType, args) {
      var stack = stackSave();
      var values = (args || []).map(function(arg) {
        if (typeof arg !== 'string') return arg;
        var size = lengthBytesUTF8(arg) + 1;
        var at = stackAlloc(size);
        stringToUTF8(arg, at, size);
        return at;
      });
      var result = Module['_' + name].apply(null, values);
      stackRestore(stack);
      return returnType === 'string' ? UTF8ToString(result) : result;
    },

    show: function(text, ms) {
      LBPage.note = text;
      LBPage.noteUntil = performance.now() + ms;
      Module['lastNote'] = text;
      // Drawn with the next frame put, even on a still picture.
      LBPage.widen(0, LBPage.NOTE_BOX[1], LBPage.width, LBPage.NOTE_BOX[3]);
    },

    // Put at the end of the batch, not at the next refresh: a callback of its own at each
    // refresh would wake the page twice a frame, and cost about a tenth of what the
    // browser spends on the game.
    presented: function() {
      Module['framesDrawn']++;
      LBPage.putPending = true;
    },

    widen: function(left, top, right, bottom) {
      var d = LBPage.dirty;
      LBPage.dirty = d ? [Math.min(d[0], left), Math.min(d[1], top), Math.max(d[2], right), Math.max(d[3], bottom)]
                       : [left, top, right, bottom];
    },

    put: function() {
      LBPage.putPending = false;
      if (!LBPage.context) {
        var shown = LBPage.note && performance.now() <= LBPage.noteUntil;
        LBGL.draw(shown ? LBPage.note : null, LBPage.paintNote);
        if (Module['firstFrameMs'] === undefined) Module['firstFrameMs'] = performance.now();
        return;
      }
      if (LBPage.noteBox) LBPage.widen.apply(null, LBPage.noteBox);
      var d = LBPage.dirty;
      if (!d) return;
      LBPage.dirty = null;
      LBPage.context.putImageData(LBPage.image, 0, 0, d[0], d[1], d[2] - d[0], d[3] - d[1]);
      LBPage.drawNote();
      if (Module['firstFrameMs'] === undefined) Module['firstFrameMs'] = performance.now();
    },
  },

  // 2 when the frames go through WebGL (lbPresentIndexed), 1 through the 2D canvas
  // (lbPresent), 0 when there is no canvas.
  lbOpenCanvas__deps: ['$LBPage', '$LBGL'],
  lbOpenCanvas: function(width, height) {
    var canvas = Module['canvas'];
    if (!canvas) return 0;
    canvas.width = width;
    canvas.height = height;
    LBPage.width = width;
    LBPage.height = height;
    Module['framesDrawn'] = 0;
    var gl = LBGL.open(canvas);
    if (gl) {
      LBGL.start(gl, width, height);
      return 2;
    }
    Module['renderer'] = '2d';
    LBPage.context = canvas.getContext('2d', {alpha: false});
    return LBPage.context ? 1 : 0;
  },

  // A frame presented: the part from (left, top) to (right, bottom) changed. It goes on
  // the canvas at the end of its batch, with whatever later frames of the batch change.
  lbPresent__deps: ['$LBPage'],
  lbPresent: function(rgba, left, top, right, bottom) {
    // Put on the canvas straight from the game's memory, without a copy of its own; made
    // again when the memory has grown (its buffer is then another) or the frame moved.
    var image = LBPage.image;
    if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== rgba) {
      var pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, LBPage.width * LBPage.height * 4);
      image = LBPage.image = new ImageData(pixels, LBPage.width, LBPage.height);
    }
    if (left < right) LBPage.widen(left, top, right, bottom);
    LBPage.presented();
  },

  // A frame presented through WebGL: the frame's indices and palette as the game keeps
  // them until its next frame, rows `top` to `bottom` changed, and the overlay's
  // rectangles.
  lbPresentIndexed__deps: ['$LBPage', '$LBGL'],
  lbPresentIndexed: function(pixels, palette, top, bottom, rects, count) {
    var f = LBGL.frame || (LBGL.frame = {top: LBPage.height, bottom: 0});
    f.pixels = pixels;
    f.palette = palette;
    // A copy: the game lays the overlay out again before its next frame.
    f.rects = HEAPU8.slice(rects, rects + 12 * count).buffer;
    f.count = count;
    f.top = Math.min(f.top, top);
    f.bottom = Math.max(f.bottom, bottom);
    LBPage.presented();
  },

  // Runs batches of the game loop's turns (WebTurns), each when the one before says the
  // game is next due (lbNextBatch). A batch that waits for the browser (a save under the
  // Web Lock, a demo packed) is taken up again where it waited, and says so once it ends.
  lbRunTurns__deps: ['$LBPage', '$callUserCallback', '$runtimeKeepalivePush'],
  lbRunTurns: function() {
    // The program lives on after main returns, until the game quits.
    runtimeKeepalivePush();
    var channel = new MessageChannel();
    function batch() {
      callUserCallback(function() { Module['_WebTurns'](); });
    }
    channel.port1.onmessage = batch;
    LBPage.nextBatch = function(ms) {
      if (ms === 0) channel.port2.postMessage(null); else setTimeout(batch, ms);
    };
    LBPage.nextBatch(0);
  },

  lbNextBatch__deps: ['$LBPage'],
  lbNextBatch: function(ms) {
    // The timer first, so that the put's own time does not make the next frame late.
    LBPage.nextBatch(ms);
    if (LBPage.putPending) LBPage.put();
  },

  lbShowNote__deps: ['$LBPage'],
  lbShowNote: function(text) {
    LBPage.show(UTF8ToString(text), LBPage.NOTE_MS);
  },

  // A run the game asks to send to the world ranking: the page sends it (world.js).
  lbSendDemo: function(path) {
    if (Module['sendDemo']) Module['sendDemo'](UTF8ToString(path));
  },

  // A whole session's demo to watch from the game's start-up: the page starts again for it.
  lbWatchFromStart: function(path) {
    if (Module['watchFromStart']) Module['watchFromStart'](UTF8ToString(path));
  },

  lbToggleFullscreen: function() {
    if (Module['toggleFullscreen']) Module['toggleFullscreen']();
  },

  // Under the test clock: one line a presented frame, "<frame> <ms> <checksum>".
  lbRecordFrame: function(line) {
    (Module['frameRecord'] = Module['frameRecord'] || []).push(UTF8ToString(line));
  },
});
