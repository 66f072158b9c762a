// Web Audio for the browser backend. The music was rendered at build time into Ogg files
// beside the MIDI files (the same name, ".ogg"), cut exactly at each piece's end; effects
// are the WAV files. Both are decoded from the game's files once, when opened. The two
// buses play at the levels the game sets (the desktop's), and their sum passes a soft
// limit: linear below 0.9 of full scale, bent towards full scale above it, so that a
// swing and a kill over the music never clip.
//
// A piece that reaches its end is reported to the game, which restarts it when the scene
// loops it. So that the restart is seamless, the piece's next run is already scheduled
// to start at the exact sample where the last one ends; the game's restart then takes
// over that run, and anything else (a stop, another piece, no restart soon) cuts it.
mergeInto(LibraryManager.library, {
  // Browsers start sound only after a key or a touch: the page calls this on the first.
  $LBAudio__postset: "Module['unlockAudio'] = function() { LBAudio.unlock(); };",
  $LBAudio: {
    context: null,
    music: null,    // gain node of the music bus
    effects: null,  // gain node of the effects bus
    // The limit's curve maps its input, the mix at half its level, from -1..1; linear to
    // this share of full scale.
    LINEAR_UP_TO: 0.9,
    CURVE_POINTS: 4097,
    sounds: [],
    unlocked: false,
    // A run scheduled to follow an ended piece that no restart claims is cut after this.
    CLAIM_SECONDS: 0.5,
    // The desktop's audio buffer, which the context asks the browser for.
    BUFFER_FRAMES: 1024,
    RATE: 44100,
    // Stops fade out over a few milliseconds, so that nothing clicks.
    FADE_SECONDS: 0.004,

    start: function() {
      if (LBAudio.context) return true;
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return false;
      // With the desktop's buffer an effect still starts within about a frame of its
      // picture, and the browser's audio threads wake half as often as for the default
      // 'interactive' (a saving of about a point of a core in Chromium).
      var context = LBAudio.context = new Context({latencyHint: LBAudio.BUFFER_FRAMES / LBAudio.RATE});
      LBAudio.music = context.createGain();
      LBAudio.effects = context.createGain();
      var headroom = context.createGain();
      headroom.gain.value = 0.5;
      var limit = context.createWaveShaper();
      limit.curve = LBAudio.limitCurve();
      LBAudio.music.connect(headroom);
      LBAudio.effects.connect(headroom);
      headroom.connect(limit);
      limit.connect(context.destination);
      return true;
    },

    limitCurve: function() {
      var knee = LBAudio.LINEAR_UP_TO;
      var curve = new Float32Array(LBAudio.CURVE_POINTS);
      for (var i = 0; i < curve.length; ++i) {
        var level = 2 * (2 * i / (curve.length - 1) - 1);  // the mix's own level
        var size = Math.abs(level);
        var out = size <= knee ? size : knee + (1 - knee) * Math.tanh((size - knee) / (1 - knee));
        curve[i] = level < 0 ? -out : out;
      }
      return curve;
    },

    // A run of the sound starting at `when` (context time), through a gain of its own.
    run: function(sound, when) {
      var context = LBAudio.context;
      var source = context.createBufferSource();
      var gain = context.createGain();
      source.buffer = sound.buffer;
      source.connect(gain);
      gain.connect(sound.music ? LBAudio.music : LBAudio.effects);
      source.start(when);
      return {source: source, gain: gain, start: when, end: when + sound.buffer.duration};
    },

    cut: function(run) {
      if (!run) return;
      var now = LBAudio.context.currentTime;
      run.gain.gain.setTargetAtTime(0, now, LBAudio.FADE_SECONDS / 3);
      run.source.onended = null;
      run.source.stop(now + LBAudio.FADE_SECONDS);
    },

    play: function(id) {
      var sound = LBAudio.sounds[id];
      if (sound.current && sound.ended && sound.next) {
        // The piece ended and the game restarts it: the run already under way is the restart.
        sound.current = sound.next;
      } else {
        LBAudio.cut(sound.current);
        LBAudio.cut(sound.next);
        sound.current = LBAudio.run(sound, LBAudio.context.currentTime);
      }
      sound.next = null;
      sound.ended = false;
      if (sound.music) LBAudio.follow(id, sound, sound.current);
    },

    // Reports the end of the run, with its sequel scheduled at the very sample it ends.
    follow: function(id, sound, current) {
      sound.next = LBAudio.run(sound, current.end);
      current.source.onended = function() {
        if (sound.current !== current) return;
        sound.ended = true;
        Module['_WebSoundFinished'](id);
        var next = sound.next;
        setTimeout(function() {
          if (sound.next === next && sound.current === current) {
            LBAudio.cut(next);
            sound.next = null;
          }
        }, LBAudio.CLAIM_SECONDS * 1000);
      };
    },

    unlock: function() {
      if (!LBAudio.start()) return;
      LBAudio.unlocked = true;
      LBAudio.context.resume();
    },

    stop: function(sound) {
      sound.pending = false;
      LBAudio.cut(sound.current);
      LBAudio.cut(sound.next);
      sound.current = null;
      sound.next = null;
      sound.ended = false;
    },
  },

  lbAudioOpen__deps: ['$LBAudio'],
  lbAudioOpen: function(pathPointer, music) {
    var path = UTF8ToString(pathPointer);
    var file = music ? path.replace(/\.[^.\/]*$/, '.ogg') : path;
    var bytes;
    try {
      bytes = FS.readFile(file);
    } catch (error) {
      return -1;
    }
    var id = LBAudio.sounds.length;
    var sound = {music: !!music, buffer: null, pending: false, current: null, next: null, ended: false};
    LBAudio.sounds.push(sound);
    if (LBAudio.start()) {
      LBAudio.context.decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length))
        .then(function(buffer) {
          sound.buffer = buffer;
          if (sound.pending) {
            sound.pending = false;
            LBAudio.play(id);
          }
        }, function() {
          console.warn('lantern-blade: cannot decode ' + file + ': it stays silent');
        });
    }
    return id;
  },

  lbAudioPlay__deps: ['$LBAudio'],
  lbAudioPlay: function(id) {
    var sound = LBAudio.sounds[id];
    if (!sound) return;
    if (sound.buffer) LBAudio.play(id); else sound.pending = true;
  },

  lbAudioStop__deps: ['$LBAudio'],
  lbAudioStop: function(id) {
    var sound = LBAudio.sounds[id];
    if (sound && LBAudio.context) LBAudio.stop(sound);
  },

  lbAudioClose__deps: ['$LBAudio'],
  lbAudioClose: function(id) {
    var sound = LBAudio.sounds[id];
    if (!sound) return;
    if (LBAudio.context) LBAudio.stop(sound);
    sound.buffer = null;
  },

  lbAudioLevels__deps: ['$LBAudio'],
  lbAudioLevels: function(music, effects) {
    if (!LBAudio.start()) return;
    LBAudio.music.gain.value = music;
    LBAudio.effects.gain.value = effects;
  },

  // The game is suspended (false) or goes on (true): everything holds where it is.
  lbAudioActive__deps: ['$LBAudio'],
  lbAudioActive: function(active) {
    if (!LBAudio.context || !LBAudio.unlocked) return;
    if (active) LBAudio.context.resume(); else LBAudio.context.suspend();
  },
});
