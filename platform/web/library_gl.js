// The picture through WebGL, where the browser draws with a GPU: the frame's palette
// indices and its palette go to the GPU as textures and a shader looks each pixel's colour
// up, so nothing is converted on the processor; the overlay's rectangles and the note are
// drawn over it. Only where the browser reports a hardware GPU: a software renderer
// (SwiftShader, llvmpipe), or one the browser says performs badly, costs more than the 2D
// canvas (measured: docs/WEB.md). `window.lbRenderer` ('webgl' or '2d') chooses for
// measuring.
mergeInto(LibraryManager.library, {
  $LBGL: {
    gl: null,
    width: 0,
    height: 0,
    picture: null,  // program and its textures
    solid: null,    // program for the overlay's rectangles
    textured: null, // program for the note
    note: null,     // {canvas, context, texture}
    frame: null,    // {pixels, palette, rects (a copy), count, top, bottom}: what the next put draws

    // Renderers that draw on the processor (a library object holds no regular expression).
    SOFTWARE: 'swiftshader|llvmpipe|softpipe|software|basic render',

    // A WebGL context on the canvas, drawn by a GPU, or null. The GPU is asked about on a
    // canvas of its own: a canvas that gave a WebGL context gives no 2D one.
    open: function(canvas) {
      var wanted = typeof window.lbRenderer === 'string' ? window.lbRenderer : '';
      if (wanted === '2d') return null;
      var forced = wanted === 'webgl';
      var options = {alpha: false, antialias: false, depth: false, stencil: false,
                     failIfMajorPerformanceCaveat: !forced};
      var probe = document.createElement('canvas').getContext('webgl', options);
      if (!probe) return null;
      var info = probe.getExtension('WEBGL_debug_renderer_info');
      var renderer = info ? probe.getParameter(info.UNMASKED_RENDERER_WEBGL) : '';
      var lose = probe.getExtension('WEBGL_lose_context');
      if (lose) lose.loseContext();
      if (!forced && (!info || new RegExp(LBGL.SOFTWARE, 'i').test(renderer))) return null;
      var gl = canvas.getContext('webgl', options);
      if (gl) Module['renderer'] = 'webgl ' + renderer;
      return gl;
    },

    program: function(vertex, fragment) {
      var gl = LBGL.gl;
      var program = gl.createProgram();
      [[gl.VERTEX_SHADER, vertex], [gl.FRAGMENT_SHADER, fragment]].forEach(function(part) {
        var shader = gl.createShader(part[0]);
        gl.shaderSource(shader, part[1]);
        gl.compileShader(shader);
        gl.attachShader(program, shader);
      });
      gl.bindAttribLocation(program, 0, 'corner');
      gl.linkProgram(program);
      return program;
    },

    texture: function(unit) {
      var gl = LBGL.gl;
      var texture = gl.createTexture();
      gl.activeTexture(gl.TEXTURE0 + unit);
      gl.bindTexture(gl.TEXTURE_2D, texture);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
      return texture;
    },

    start: function(gl, width, height) {
      LBGL.gl = gl;
      LBGL.width = width;
      LBGL.height = height;
      // One unit square; each program places it (the picture, a rectangle, the note).
      gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
      gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([0, 0, 1, 0, 0, 1, 1, 1]), gl.STATIC_DRAW);
      gl.enableVertexAttribArray(0);
      gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
      // A box in picture pixels, top left first, as clip space.
      var place = 'attribute vec2 corner; uniform vec4 box; varying vec2 at;' +
        'void main() { at = corner; vec2 p = (box.xy + corner * box.zw) / vec2(' + width + '.0, ' + height + '.0);' +
        ' gl_Position = vec4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, 0.0, 1.0); }';
      var picture = LBGL.program(place, 'precision mediump float; varying vec2 at;' +
        'uniform sampler2D indices; uniform sampler2D palette;' +
        'void main() { float i = texture2D(indices, at).r * 255.0;' +
        ' gl_FragColor = texture2D(palette, vec2((i + 0.5) / 256.0, 0.5)); }');
      LBGL.picture = {program: picture, indices: LBGL.texture(0), palette: LBGL.texture(1),
                      box: gl.getUniformLocation(picture, 'box')};
      gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
      gl.activeTexture(gl.TEXTURE0);
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.LUMINANCE, width, height, 0, gl.LUMINANCE, gl.UNSIGNED_BYTE, null);
      gl.useProgram(picture);
      gl.uniform1i(gl.getUniformLocation(picture, 'indices'), 0);
      gl.uniform1i(gl.getUniformLocation(picture, 'palette'), 1);
      var solid = LBGL.program(place, 'precision mediump float; uniform vec4 colour;' +
        'void main() { gl_FragColor = colour; }');
      LBGL.solid = {program: solid, box: gl.getUniformLocation(solid, 'box'),
                    colour: gl.getUniformLocation(solid, 'colour')};
      var textured = LBGL.program(place, 'precision mediump float; varying vec2 at; uniform sampler2D image;' +
        'void main() { gl_FragColor = texture2D(image, at); }');
      LBGL.textured = {program: textured, box: gl.getUniformLocation(textured, 'box')};
      gl.useProgram(textured);
      gl.uniform1i(gl.getUniformLocation(textured, 'image'), 2);
      var noteCanvas = document.createElement('canvas');
      noteCanvas.width = width;
      noteCanvas.height = 64;
      LBGL.note = {canvas: noteCanvas, context: noteCanvas.getContext('2d'), texture: LBGL.texture(2), text: null};
      gl.blendFunc(gl.SRC_ALPHA, gl.ONE_MINUS_SRC_ALPHA);
    },

    // The changed rows and the palette to the GPU, then the whole picture drawn: the
    // drawing buffer is not kept from one refresh to the next.
    draw: function(note, paint) {
      var gl = LBGL.gl, f = LBGL.frame, width = LBGL.width;
      if (!f) return;
      gl.useProgram(LBGL.picture.program);
      if (f.top < f.bottom) {
        gl.activeTexture(gl.TEXTURE0);
        gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, f.top, width, f.bottom - f.top, gl.LUMINANCE, gl.UNSIGNED_BYTE,
                         HEAPU8.subarray(f.pixels + f.top * width, f.pixels + f.bottom * width));
        f.top = LBGL.height;
        f.bottom = 0;
      }
      var palette = new Uint8Array(1024);
      var words = HEAPU32.subarray(f.palette >> 2, (f.palette >> 2) + 256);
      for (var i = 0; i < 256; ++i) {
        palette[4 * i] = (words[i] >> 16) & 255;
        palette[4 * i + 1] = (words[i] >> 8) & 255;
        palette[4 * i + 2] = words[i] & 255;
        palette[4 * i + 3] = 255;
      }
      gl.activeTexture(gl.TEXTURE1);
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, 256, 1, 0, gl.RGBA, gl.UNSIGNED_BYTE, palette);
      gl.uniform4f(LBGL.picture.box, 0, 0, width, LBGL.height);
      gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
      gl.enable(gl.BLEND);
      gl.useProgram(LBGL.solid.program);
      // overlay::Rect: x, y, w, h as 16-bit numbers, then 0xAARRGGBB.
      var numbers = new Int16Array(f.rects), words = new Uint32Array(f.rects);
      for (var r = 0; r < f.count; ++r) {
        var argb = words[3 * r + 2];
        gl.uniform4f(LBGL.solid.box, numbers[6 * r], numbers[6 * r + 1], numbers[6 * r + 2], numbers[6 * r + 3]);
        gl.uniform4f(LBGL.solid.colour, ((argb >> 16) & 255) / 255, ((argb >> 8) & 255) / 255, (argb & 255) / 255,
                     (argb >>> 24) / 255);
        gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
      }
      if (note) LBGL.drawNote(note, paint);
      gl.disable(gl.BLEND);
    },

    // The note as `paint` draws it on a 2D context (over the picture's top rows), through
    // a texture made again when it changes.
    drawNote: function(note, paint) {
      var gl = LBGL.gl, n = LBGL.note;
      if (n.text !== note) {
        n.text = note;
        n.context.clearRect(0, 0, n.canvas.width, n.canvas.height);
        paint(n.context);
        gl.activeTexture(gl.TEXTURE2);
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, n.canvas);
      }
      gl.useProgram(LBGL.textured.program);
      gl.uniform4f(LBGL.textured.box, 0, 0, n.canvas.width, n.canvas.height);
      gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
    },
  },
});
