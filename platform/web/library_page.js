// What the browser backend asks of the page (tools/web/page.js): the canvas a frame is
// put on, fullscreen, and the frame record the tests read.
mergeInto(LibraryManager.library, {
  $LBPage: {
    context: null,
    width: 0,
    height: 0,
    image: null,  // an ImageData over the frame's RGBA in the game's memory
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
    if (Module['framesDrawn']++ === 0) Module['firstFrameMs'] = performance.now();
  },

  lbToggleFullscreen: function() {
    if (Module['toggleFullscreen']) Module['toggleFullscreen']();
  },

  // Under the test clock: one line a presented frame, "<frame> <ms> <checksum>".
  lbRecordFrame: function(line) {
    (Module['frameRecord'] = Module['frameRecord'] || []).push(UTF8ToString(line));
  },
});
