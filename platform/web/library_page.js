// What the browser backend asks of the page (tools/web/page.js): the canvas a frame is
// put on, the note about one of the backend's keys drawn over it, fullscreen, and the
// frame record the tests read.
mergeInto(LibraryManager.library, {
  $LBPage: {
    context: null,
    width: 0,
    height: 0,
    image: null,  // an ImageData over the frame's RGBA in the game's memory
    note: '',
    noteUntil: 0,
    NOTE_MS: 1000,

    // Over the picture's top left corner, below the frame rate, as on the desktop: white
    // letters on the picture darkened. Each frame is put whole, so the note goes with the
    // first frame after its time.
    drawNote: function() {
      if (!LBPage.note || performance.now() > LBPage.noteUntil) return;
      var context = LBPage.context;
      context.font = 'bold 28px monospace';
      var width = context.measureText(LBPage.note).width;
      context.fillStyle = 'rgba(0, 0, 0, 0.69)';
      context.fillRect(8, 20, width + 8, 40);
      context.fillStyle = '#fff';
      context.textBaseline = 'top';
      context.fillText(LBPage.note, 12, 26);
    },
  },

  lbOpenCanvas__deps: ['$LBPage'],
  lbOpenCanvas: function(width, height) {
    var canvas = Module['canvas'];
    if (!canvas) return 0;
    canvas.width = width;
    canvas.height = height;
    LBPage.context = canvas.getContext('2d', {alpha: false});
    if (!LBPage.context) return 0;
    LBPage.width = width;
    LBPage.height = height;
    Module['framesDrawn'] = 0;
    return 1;
  },

  lbPresent__deps: ['$LBPage'],
  lbPresent: function(rgba) {
    // Put on the canvas straight from the game's memory, without a copy of its own; made
    // again when the memory has grown (its buffer is then another) or the frame moved.
    var image = LBPage.image;
    if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== rgba) {
      var pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, LBPage.width * LBPage.height * 4);
      image = LBPage.image = new ImageData(pixels, LBPage.width, LBPage.height);
    }
    LBPage.context.putImageData(image, 0, 0);
    LBPage.drawNote();
    if (Module['framesDrawn']++ === 0) Module['firstFrameMs'] = performance.now();
  },

  lbShowNote__deps: ['$LBPage'],
  lbShowNote: function(text) {
    LBPage.note = UTF8ToString(text);
    LBPage.noteUntil = performance.now() + LBPage.NOTE_MS;
    Module['lastNote'] = LBPage.note;
  },

  lbToggleFullscreen: function() {
    if (Module['toggleFullscreen']) Module['toggleFullscreen']();
  },

  // Under the test clock: one line a presented frame, "<frame> <ms> <checksum>".
  lbRecordFrame: function(line) {
    (Module['frameRecord'] = Module['frameRecord'] || []).push(UTF8ToString(line));
  },
});
