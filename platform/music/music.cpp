#include "platform/music/music.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/host/files.h"
#include "platform/music/midi_scan.h"
#include "platform/music/synth_setup.h"
#include "platform/music/take_cache.h"
#include "platform/music/take_file.h"
#include "platform/music/take_filler.h"

namespace {

constexpr int RATE = music::MUSIC_RATE;
constexpr int BLOCK_FRAMES = music::SYNTH_BLOCK_FRAMES;
// Stops, changes, mute, volume and the focus hold all ramp over 10 ms: no step is heard.
constexpr float RAMP_STEP = 1.0f / (RATE / 100);
// The channels the pieces play on; channels above them hold every instrument the
// pieces use, so that its samples stay loaded while the pieces come and go.
constexpr int PIECE_CHANNELS = 16;
constexpr int ALL_CHANNELS = 64;
constexpr int CC_RESET_CONTROLLERS = 121;

struct Piece {
    std::string path;
    std::vector<std::uint8_t> bytes;
    bool broken;
    music::MidiTiming timing;
};

// The soundfont loads on a thread of its own, so the game's window opens meanwhile.
enum class Font { Loading, Ready, Failed };

fluid_settings_t* g_settings = nullptr;
fluid_synth_t* g_synth = nullptr;
std::thread g_loader;
std::filesystem::path g_takeFolder;
std::uintmax_t g_takeBytes = 0;

// Guards everything below; the mixer's thread holds it while it renders a buffer.
std::mutex g_lock;
std::condition_variable g_fontChanged;
Font g_font = Font::Failed;
std::string g_soundfontPath;
int g_soundfont = -1;
int g_pinnedChannels = PIECE_CHANNELS;
std::vector<music::MidiPreset> g_pinned;
std::vector<music::MidiPreset> g_toPin;  // asked for while the soundfont loads
std::map<int, Piece> g_pieces;
fluid_player_t* g_player = nullptr;
int g_playerId = -1;
int g_totalTicks = 0;    // the player's length, once it has read its file
bool g_ended = false;    // the pass that plays has reached its end; tails may still sound
bool g_synthQuiet = true;  // no voice sounds and no player runs: nothing to render
int g_pending = -1;      // the piece to start once nothing else sounds
bool g_stopping = false; // fading out what sounds, to silence it
float g_level = 1.0f;    // wanted level
bool g_held = false;
float g_gain = 0.0f;     // the level actually applied, ramping towards the target
float g_block[BLOCK_FRAMES * 2];

// A pass of a piece whose take is on disk is read from it instead of synthesized: the
// take opened for the piece about to start, the pass that plays, and the pass before
// while its tails sound, so the next pass starts over them as the synthesizer's would.
std::unique_ptr<music::TakeReader> g_nextTake;
int g_nextTakeId = -1;
std::unique_ptr<music::TakeReader> g_replay;
std::unique_ptr<music::TakeReader> g_tail;

// A piece is a few tens of KB; a file far larger is no piece.
constexpr std::size_t MOST_PIECE_BYTES = std::size_t{16} << 20;

// The file's bytes; none when it is not a regular file (a FIFO is never waited on) or
// cannot be read whole.
std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::string contents;
    std::string failure;
    ReadRegularFile(path, MOST_PIECE_BYTES, &contents, &failure);
    return std::vector<std::uint8_t>(contents.begin(), contents.end());
}

void SayBroken(Piece& piece) {
    piece.broken = true;
    std::fprintf(stderr, "lantern-blade: %s is not a MIDI file that can be played; that music stays silent\n",
                 piece.path.c_str());
}

void SayNoSoundfont() {
    std::fprintf(stderr,
                 "lantern-blade: no General MIDI soundfont found, so no music: install one "
                 "(apt-get install timgm6mb-soundfont) or name a .sf2 file in "
                 "LANTERN_BLADE_SOUNDFONT\n");
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
    g_replay.reset();
    g_tail.reset();
    for (int channel = 0; channel < PIECE_CHANNELS; ++channel) {
        fluid_synth_all_sounds_off(g_synth, channel);
        fluid_synth_cc(g_synth, channel, CC_RESET_CONTROLLERS, 0);
        fluid_synth_program_change(g_synth, channel, 0);
    }
}

// Starts a piece's file on the synthesizer.
void StartSynth(int id, const std::vector<std::uint8_t>& bytes) {
    g_player = new_fluid_player(g_synth);
    g_synthQuiet = false;
    if (g_player == nullptr || fluid_player_add_mem(g_player, bytes.data(), bytes.size()) != FLUID_OK ||
        fluid_player_play(g_player) != FLUID_OK) {
        DeletePlayer();
        return;
    }
    g_playerId = id;
}

// Starts the piece from its take when one was opened for it, else on the synthesizer. A
// restart after its own end starts over the tails of the pass before, wherever they come
// from.
void Start(int id) {
    g_pending = -1;
    const auto piece = g_pieces.find(id);
    if (piece == g_pieces.end() || piece->second.broken) return;
    const bool overTails = g_playerId == id && g_ended;
    g_tail = overTails ? std::move(g_replay) : nullptr;
    g_replay.reset();
    DeletePlayer();
    if (g_nextTake != nullptr && g_nextTakeId == id) {
        g_replay = std::move(g_nextTake);
        g_playerId = id;
        return;
    }
    StartSynth(id, piece->second.bytes);
}

// A take damaged inside hands the rest of its pass to the synthesizer, from where it
// stopped: a moment of silence, not the rest of the pass.
void TakeOver() {
    const std::uint64_t at = g_replay->At();
    g_replay.reset();
    if (const auto piece = g_pieces.find(g_playerId); piece != g_pieces.end()) {
        const int tick = music::TickAt(piece->second.timing, static_cast<double>(at) / RATE);
        StartSynth(g_playerId, music::StartingAt(piece->second.bytes, static_cast<std::uint32_t>(tick)));
    }
}

// Whether the piece on the synthesizer has just played to its end; a player that
// finished without ever knowing its length could not read the file. Returns its id, or -1.
int CheckEnd() {
    if (g_player == nullptr || g_ended) return -1;
    if (music::ReachedEnd(g_player, &g_totalTicks)) {
        g_ended = true;
        return g_playerId;
    }
    if (g_totalTicks <= 0 && fluid_player_get_status(g_player) == FLUID_PLAYER_DONE) {
        if (const auto piece = g_pieces.find(g_playerId); piece != g_pieces.end()) SayBroken(piece->second);
        DeletePlayer();
    }
    return -1;
}

// The block from the synthesizer where it sounds, and from the takes. Returns the id of
// the piece that has just reached its end, or -1.
int RenderBlock(int count) {
    int ended = -1;
    g_synthQuiet = g_synthQuiet || (g_player == nullptr && fluid_synth_get_active_voice_count(g_synth) == 0);
    if (!g_synthQuiet) {
        fluid_synth_write_float(g_synth, count, g_block, 0, 2, g_block, 1, 2);
        ended = CheckEnd();
    } else {
        std::fill(g_block, g_block + count * 2, 0.0f);
    }
    if (g_tail != nullptr) {
        g_tail->AddTo(g_block, count);
        if (g_tail->Done() || g_tail->Damaged()) g_tail.reset();
    }
    if (g_replay != nullptr) {
        const std::uint64_t before = g_replay->At();
        g_replay->AddTo(g_block, count);
        if (before < g_replay->EndFrame() && g_replay->At() >= g_replay->EndFrame()) {
            g_ended = true;
            ended = g_playerId;
        }
        if (g_replay->Damaged() && !g_ended) {
            TakeOver();
        } else if (g_replay->Done() || g_replay->Damaged()) {
            g_replay.reset();
        }
    }
    return ended;
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

// Loads the first soundfont that loads, then the instruments the pieces loaded so far
// asked for. Nothing else touches the synthesizer until it is ready.
void LoadSoundfont(std::vector<std::string> candidates) {
    int id = FLUID_FAILED;
    std::string path;
    for (const std::string& candidate : candidates) {
        id = music::LoadFont(g_synth, candidate);
        if (id != FLUID_FAILED) {
            path = candidate;
            break;
        }
    }
    std::lock_guard lock(g_lock);
    g_soundfont = id;
    g_soundfontPath = path;
    g_font = id == FLUID_FAILED ? Font::Failed : Font::Ready;
    if (g_font == Font::Ready) {
        Silence();
        for (const music::MidiPreset& preset : g_toPin) Pin(preset);
    } else {
        SayNoSoundfont();
    }
    g_toPin.clear();
    g_fontChanged.notify_all();
}

}  // namespace

namespace music {

void KeepTakesIn(const std::filesystem::path& folder, std::uintmax_t most) {
    g_takeFolder = PrepareTakeFolder(folder, most) ? folder : std::filesystem::path();
    g_takeBytes = most;
}

bool StartMusic() {
    const std::vector<std::string> candidates = Soundfonts();
    if (!candidates.empty()) g_synth = NewSynth(ALL_CHANNELS, &g_settings);
    if (g_synth == nullptr) {
        SayNoSoundfont();
        ShutDownMusic();
        return false;
    }
    g_font = Font::Loading;
    g_loader = std::thread(LoadSoundfont, candidates);
    return true;
}

bool LoadMusic(int id, const std::string& path) {
    Piece piece{path, ReadFile(path), false, {}};
    std::vector<MidiPreset> presets;
    const bool playable = ScanMidi(piece.bytes, &presets, &piece.timing);
    if (!playable) SayBroken(piece);
    std::lock_guard lock(g_lock);
    for (const MidiPreset& preset : presets) {
        if (g_font == Font::Ready) Pin(preset);
        if (g_font == Font::Loading) g_toPin.push_back(preset);
    }
    g_pieces[id] = std::move(piece);
    return playable;
}

void PlayMusic(int id) {
    std::unique_lock lock(g_lock);
    // Whoever plays first waits for the soundfont, so the piece starts in full.
    g_fontChanged.wait(lock, [] { return g_font != Font::Loading; });
    std::unique_ptr<TakeReader> take;
    if (const auto piece = g_pieces.find(id); piece != g_pieces.end() && !piece->second.broken &&
                                              !g_takeFolder.empty() && g_font == Font::Ready) {
        TakeOrder order{{}, {}, std::filesystem::path(piece->second.path).filename().string(), piece->second.bytes,
                        g_soundfontPath, g_takeBytes};
        lock.unlock();
        order.key = TakeKey(order.soundfont, order.piece);
        order.take = TakePath(g_takeFolder, order.key);
        take = TakeReader::Open(order.take, order.key);
        if (take == nullptr) FillTake(std::move(order));
        lock.lock();
    }
    g_pending = id;
    g_nextTake = std::move(take);
    g_nextTakeId = id;
    // A piece that restarts after its own end starts over its tails; anything else
    // that still sounds fades out first.
    const bool overTails = g_playerId == id && g_ended;
    g_stopping = !overTails && (g_player != nullptr || g_replay != nullptr || g_tail != nullptr ||
                                (g_font == Font::Ready && fluid_synth_get_active_voice_count(g_synth) > 0));
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
    if (g_nextTakeId == id) g_nextTake.reset();
}

int RenderMusic(std::int16_t* out, int frames) {
    std::lock_guard lock(g_lock);
    int ended = -1;
    if (g_synth == nullptr || g_font != Font::Ready) {
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
            to[i * 2] = ToSample(g_block[i * 2] * g_gain);
            to[i * 2 + 1] = ToSample(g_block[i * 2 + 1] * g_gain);
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
    if (g_loader.joinable()) g_loader.join();
    StopFillingTakes();
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
    g_replay.reset();
    g_tail.reset();
    g_nextTake.reset();
    g_pieces.clear();
    g_pinned.clear();
    g_pinnedChannels = PIECE_CHANNELS;
    if (g_synth != nullptr) delete_fluid_synth(g_synth);
    if (g_settings != nullptr) delete_fluid_settings(g_settings);
    g_synth = nullptr;
    g_settings = nullptr;
    g_soundfont = -1;
    g_font = Font::Failed;
    g_takeFolder.clear();
    g_pending = -1;
    g_gain = 0.0f;
    g_synthQuiet = true;
}

}  // namespace music
