// What the browser backend asks of the page (tools/web/page.js): the canvas a frame is
// put on, fullscreen, and the frame record the tests read.
mergeInto(LibraryManager.library, {
  $LBPage: {
    context: null,
    image: null,
  },

  lbOpenCanvas__deps: ['$LBPage'],
  lbOpenCanvas: function(width, height) {
    var canvas = Module['canvas'];
    if (!canvas) return 0;
    canvas.width = width;
    canvas.height = height;
    LBPage.context = canvas.getContext('2d', {alpha: false});
    if (!LBPage.context) return 0;
    LBPage.image = LBPage.context.createImageData(width, height);
    Module['framesDrawn'] = 0;
    return 1;
  },

  lbPresent__deps: ['$LBPage'],
  lbPresent: function(rgba) {
    var image = LBPage.image;
    image.data.set(HEAPU8.subarray(rgba, rgba + image.data.length));
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
