#include "platform/music/music.h"

#include <fluidsynth.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/music/midi_scan.h"

namespace {

constexpr int RATE = music::MUSIC_RATE;
// Render in the synthesizer's own block size, so a piece's end is seen within 1.5 ms.
constexpr int BLOCK_FRAMES = 64;
// Stops, changes, mute, volume and the focus hold all ramp over 10 ms: no step is heard.
constexpr float RAMP_STEP = 1.0f / (RATE / 100);
// The channels the pieces play on; channels above them hold every instrument the
// pieces use, so that its samples stay loaded while the pieces come and go.
constexpr int PIECE_CHANNELS = 16;
constexpr int ALL_CHANNELS = 64;
constexpr int CC_RESET_CONTROLLERS = 121;

// The soundfonts Debian's own players look for, after the one the user names.
constexpr const char* SOUNDFONTS[] = {"/usr/share/sounds/sf2/default-GM.sf2",
                                      "/usr/share/sounds/sf2/TimGM6mb.sf2",
                                      "/usr/share/sounds/sf2/FluidR3_GM.sf2"};

struct Piece {
    std::string path;
    std::vector<std::uint8_t> bytes;
    bool broken;
};

fluid_settings_t* g_settings = nullptr;
fluid_synth_t* g_synth = nullptr;
int g_soundfont = -1;
int g_pinnedChannels = PIECE_CHANNELS;
std::vector<music::MidiPreset> g_pinned;

// Guards everything below; the mixer's thread holds it while it renders a buffer.
std::mutex g_lock;
std::map<int, Piece> g_pieces;
fluid_player_t* g_player = nullptr;
int g_playerId = -1;
int g_totalTicks = 0;    // the player's length, once it has read its file
bool g_ended = false;    // the player has reached its last tick; tails may still sound
int g_pending = -1;      // the piece to start once nothing else sounds
bool g_stopping = false; // fading out what sounds, to silence it
float g_level = 1.0f;    // wanted level
bool g_held = false;
float g_gain = 0.0f;     // the level actually applied, ramping towards the target
float g_block[BLOCK_FRAMES * 2];

// A looping piece costs the synthesizer its first pass only. That pass, from a fresh start
// (silence), is recorded before the gain through its end and its tails until no voice
// sounds; each later pass of the piece is then read from memory, over the tails of the
// pass before, which sound exactly as the synthesizer would render them again.
struct Take {
    int id = -1;
    std::deque<std::int16_t> samples;   // interleaved stereo, full scale 1.0; grows without copying
    std::size_t endFrame = 0;           // where the piece ends; 0 until it has
    bool complete = false;              // recorded to silence
};
// Longer pieces are not kept (21 MB at most).
constexpr std::size_t MOST_TAKE_FRAMES = std::size_t{RATE} * 120;
Take g_take;
bool g_recording = false;
// Frames into the take of the pass that plays, and of the pass before while its tails
// sound; -1 when none.
long g_replay = -1;
long g_tail = -1;

void Ignore(int, const char*, void*) {}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void SayBroken(Piece& piece) {
    piece.broken = true;
    std::fprintf(stderr, "lantern-blade: %s is not a MIDI file that can be played; that music stays silent\n",
                 piece.path.c_str());
}

void DeletePlayer() {
    if (g_player != nullptr) {
        fluid_player_stop(g_player);
        delete_fluid_player(g_player);
    }
    g_player = nullptr;
    g_playerId = -1;
    g_totalTicks = 0;
    g_ended = false;
}

// Cuts every voice (the gain is 0 by now) and gives the piece channels their defaults,
// leaving the pinned channels alone.
void Silence() {
    DeletePlayer();
    g_replay = -1;
    g_tail = -1;
    if (!g_take.complete) g_take = Take{};
    g_recording = false;
    for (int channel = 0; channel < PIECE_CHANNELS; ++channel) {
        fluid_synth_all_sounds_off(g_synth, channel);
        fluid_synth_cc(g_synth, channel, CC_RESET_CONTROLLERS, 0);
        fluid_synth_program_change(g_synth, channel, 0);
    }
}

// A fresh start (nothing sounds) of a piece whose take is complete replays it; any other
// fresh start plays it on the synthesizer and records it. A restart after its own end
// starts over the tails of the pass before: from memory once the pass before came from
// memory or its recording has reached the piece's end.
void Start(int id) {
    g_pending = -1;
    const auto piece = g_pieces.find(id);
    if (piece == g_pieces.end() || piece->second.broken) return;
    const bool overTails = g_playerId == id && g_ended;
    if (g_take.id == id && (g_take.complete || (overTails && g_recording && g_take.endFrame > 0))) {
        g_tail = overTails ? g_replay : -1;
        g_replay = 0;
        g_playerId = id;
        g_ended = false;
        return;
    }
    const bool fresh = !overTails && fluid_synth_get_active_voice_count(g_synth) == 0;
    DeletePlayer();
    g_replay = -1;
    g_tail = -1;
    g_player = new_fluid_player(g_synth);
    const std::vector<std::uint8_t>& bytes = piece->second.bytes;
    if (g_player == nullptr || fluid_player_add_mem(g_player, bytes.data(), bytes.size()) != FLUID_OK ||
        fluid_player_play(g_player) != FLUID_OK) {
        DeletePlayer();
        return;
    }
    g_playerId = id;
    g_recording = fresh;
    if (fresh) g_take = Take{id, {}, 0, false};
}

// A piece has played to its end when its player's tick reaches the last one; a player
// that finished without ever knowing its length could not read the file. The length is
// asked for only until it is known: FluidSynth walks every track to find it. Returns the
// id of the piece that has just ended, or -1.
int CheckEnd() {
    if (g_player == nullptr || g_ended) return -1;
    if (g_totalTicks <= 0) g_totalTicks = fluid_player_get_total_ticks(g_player);
    const int total = g_totalTicks;
    const bool done = fluid_player_get_status(g_player) == FLUID_PLAYER_DONE;
    if (total > 0 && fluid_player_get_current_tick(g_player) >= total) {
        g_ended = true;
        return g_playerId;
    }
    if (done && total <= 0) {
        if (const auto piece = g_pieces.find(g_playerId); piece != g_pieces.end()) SayBroken(piece->second);
        DeletePlayer();
    }
    return -1;
}

// The synthesizer's block (before the gain) onto the recording; the take is complete once
// the piece has ended and no voice sounds.
void Record(int count) {
    if (!g_recording) return;
    if (g_take.samples.size() / 2 + count > MOST_TAKE_FRAMES) {
        g_recording = false;
        g_take = Take{};
        return;
    }
    for (int i = 0; i < count * 2; ++i) {
        g_take.samples.push_back(static_cast<std::int16_t>(std::lrint(std::clamp(g_block[i], -1.0f, 1.0f) * 32767.0f)));
    }
    if (g_ended && g_take.endFrame == 0) g_take.endFrame = g_take.samples.size() / 2;
    if (g_take.endFrame > 0 && fluid_synth_get_active_voice_count(g_synth) == 0) {
        g_take.complete = true;
        g_recording = false;
    }
}

// Adds the take from `at` on to the block, and moves `at` on (to -1 past the take's end).
void AddTake(long& at, int count) {
    if (at < 0) return;
    const std::size_t frames = g_take.samples.size() / 2;
    for (int i = 0; i < count && static_cast<std::size_t>(at) < frames; ++i, ++at) {
        g_block[i * 2] += static_cast<float>(g_take.samples[at * 2]) / 32767.0f;
        g_block[i * 2 + 1] += static_cast<float>(g_take.samples[at * 2 + 1]) / 32767.0f;
    }
    if (static_cast<std::size_t>(at) >= frames && g_take.complete) at = -1;
}

// The block from the synthesizer where it still sounds (a piece played on it, or tails
// being recorded), and from the take. Returns the id of the piece whose replayed pass
// has just reached its end, or -1.
int RenderBlock(int count) {
    const bool replaying = g_replay >= 0 || g_tail >= 0;
    int ended = -1;
    if (!replaying || g_recording || fluid_synth_get_active_voice_count(g_synth) > 0) {
        fluid_synth_write_float(g_synth, count, g_block, 0, 2, g_block, 1, 2);
        // While a pass is replayed the player has ended already; it stays only for its tails.
        if (!replaying) ended = CheckEnd();
        Record(count);
    } else {
        std::fill(g_block, g_block + count * 2, 0.0f);
    }
    if (!replaying) return ended;
    const long before = g_replay;
    AddTake(g_tail, count);
    AddTake(g_replay, count);
    const auto end = static_cast<long>(g_take.endFrame);
    if (before < end && (g_replay < 0 || g_replay >= end)) {
        g_ended = true;
        return g_playerId;
    }
    return -1;
}

float TargetGain() {
    return g_stopping || g_held ? 0.0f : g_level;
}

// Pins an instrument on a channel of its own, loading its samples now rather than when
// a piece first selects it on the mixer's thread.
void Pin(const music::MidiPreset& preset) {
    if (g_pinnedChannels == ALL_CHANNELS ||
        std::find(g_pinned.begin(), g_pinned.end(), preset) != g_pinned.end()) {
        return;
    }
    g_pinned.push_back(preset);
    if (fluid_synth_program_select(g_synth, g_pinnedChannels, g_soundfont, preset.bank, preset.program) ==
        FLUID_OK) {
        ++g_pinnedChannels;
    }
}

int LoadSoundfont() {
    std::vector<std::string> candidates;
    if (const char* named = std::getenv("LANTERN_BLADE_SOUNDFONT"); named != nullptr && *named != '\0') {
        candidates.emplace_back(named);
    }
    candidates.insert(candidates.end(), std::begin(SOUNDFONTS), std::end(SOUNDFONTS));
    for (const std::string& path : candidates) {
        // A FIFO or a device named here would hold the loader forever.
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(path.c_str(), R_OK) != 0) continue;
        const int id = fluid_synth_sfload(g_synth, path.c_str(), 1);
        if (id != FLUID_FAILED) return id;
    }
    return FLUID_FAILED;
}

}  // namespace

namespace music {

bool StartMusic() {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
        fluid_set_log_function(level, Ignore, nullptr);
    }
    g_settings = new_fluid_settings();
    fluid_settings_setnum(g_settings, "synth.sample-rate", RATE);
    fluid_settings_setnum(g_settings, "synth.gain", 1.0);
    fluid_settings_setint(g_settings, "synth.midi-channels", ALL_CHANNELS);
    fluid_settings_setint(g_settings, "synth.reverb.active", 0);
    fluid_settings_setint(g_settings, "synth.chorus.active", 0);
    fluid_settings_setint(g_settings, "synth.polyphony", 64);
    fluid_settings_setint(g_settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(g_settings, "player.reset-synth", 0);
    g_synth = new_fluid_synth(g_settings);
    g_soundfont = g_synth != nullptr ? LoadSoundfont() : FLUID_FAILED;
    if (g_soundfont == FLUID_FAILED) {
        std::fprintf(stderr,
                     "lantern-blade: no General MIDI soundfont found, so no music: install one "
                     "(apt-get install timgm6mb-soundfont) or name a .sf2 file in "
                     "LANTERN_BLADE_SOUNDFONT\n");
        ShutDownMusic();
        return false;
    }
    fluid_synth_set_interp_method(g_synth, -1, FLUID_INTERP_LINEAR);
    Silence();
    return true;
}

bool LoadMusic(int id, const std::string& path) {
    Piece piece{path, ReadFile(path), false};
    std::vector<MidiPreset> presets;
    const bool playable = ScanMidi(piece.bytes, &presets);
    if (!playable) SayBroken(piece);
    std::lock_guard lock(g_lock);
    for (const MidiPreset& preset : presets) Pin(preset);
    g_pieces[id] = std::move(piece);
    return playable;
}

void PlayMusic(int id) {
    std::lock_guard lock(g_lock);
    g_pending = id;
    // A piece that restarts after its own end starts over its tails; anything else
    // that still sounds fades out first.
    const bool overTails = g_playerId == id && g_ended;
    g_stopping = !overTails && (g_player != nullptr || g_replay >= 0 ||
                                fluid_synth_get_active_voice_count(g_synth) > 0);
}

void StopMusic(int id) {
    std::lock_guard lock(g_lock);
    if (g_pending == id) g_pending = -1;
    if (g_playerId == id) g_stopping = true;
}

void ReleaseMusic(int id) {
    StopMusic(id);
    std::lock_guard lock(g_lock);
    g_pieces.erase(id);
    if (g_take.id == id) g_take = Take{};
}

int RenderMusic(std::int16_t* out, int frames) {
    std::lock_guard lock(g_lock);
    int ended = -1;
    if (g_synth == nullptr) {
        std::fill(out, out + frames * 2, 0);
        return ended;
    }
    for (int done = 0; done < frames;) {
        if (g_stopping && g_gain <= 0.0f) {
            Silence();
            g_stopping = false;
        }
        if (!g_stopping && g_pending >= 0) Start(g_pending);
        const int count = std::min(BLOCK_FRAMES, frames - done);
        std::int16_t* to = out + done * 2;
        done += count;
        if (g_held && g_gain <= 0.0f) {
            std::fill(to, to + count * 2, 0);
            continue;
        }
        if (const int id = RenderBlock(count); id >= 0) ended = id;
        const float target = TargetGain();
        for (int i = 0; i < count; ++i) {
            g_gain = g_gain < target ? std::min(target, g_gain + RAMP_STEP) : std::max(target, g_gain - RAMP_STEP);
            for (int side = 0; side < 2; ++side) {
                const float sample = std::clamp(g_block[i * 2 + side] * g_gain, -1.0f, 1.0f);
                to[i * 2 + side] = static_cast<std::int16_t>(std::lrint(sample * 32767.0f));
            }
        }
    }
    return ended;
}

void SetMusicLevel(float level) {
    std::lock_guard lock(g_lock);
    g_level = level;
}

void HoldMusic(bool held) {
    std::lock_guard lock(g_lock);
    g_held = held;
}

void ShutDownMusic() {
    // Lets a fade under way (the teardown's stops) finish, so the game does not end on a step.
    for (int waited = 0; waited < 50; ++waited) {
        {
            std::lock_guard lock(g_lock);
            if (!g_stopping || g_held) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::lock_guard lock(g_lock);
    DeletePlayer();
    g_pieces.clear();
    if (g_synth != nullptr) delete_fluid_synth(g_synth);
    if (g_settings != nullptr) delete_fluid_settings(g_settings);
    g_synth = nullptr;
    g_settings = nullptr;
    g_soundfont = -1;
}

}  // namespace music
