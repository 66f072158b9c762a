#include "platform/music/take_filler.h"

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include "platform/music/synth_setup.h"
#include "platform/music/take_cache.h"
#include "platform/music/take_file.h"

namespace {

// A take longer than this is not written (a piece that never reaches its end).
constexpr std::uint64_t MOST_TAKE_FRAMES = std::uint64_t{44100} * 60 * 10;

using Job = music::TakeOrder;

std::mutex g_lock;
std::condition_variable g_changed;
std::deque<Job> g_jobs;
std::set<std::filesystem::path> g_asked;
bool g_busy = false;
std::atomic<bool> g_stop{false};
std::thread g_worker;

// The pass from silence through the piece's end until no voice sounds, as the engine's
// first pass renders it, block by block.
void Render(const Job& job) {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = music::NewSynth(16, &settings);
    fluid_player_t* player = nullptr;
    if (synth != nullptr && music::LoadFont(synth, job.soundfont) != FLUID_FAILED) {
        player = new_fluid_player(synth);
    }
    if (player != nullptr && fluid_player_add_mem(player, job.piece.data(), job.piece.size()) == FLUID_OK &&
        fluid_player_play(player) == FLUID_OK) {
        music::TakeWriter writer(job.take, job.key, job.pieceName, job.soundfont);
        float block[music::SYNTH_BLOCK_FRAMES * 2];
        std::int16_t samples[music::SYNTH_BLOCK_FRAMES * 2];
        std::uint64_t frames = 0;
        std::uint64_t end = 0;
        int totalTicks = 0;
        while (writer.Good() && !g_stop && frames < MOST_TAKE_FRAMES) {
            fluid_synth_write_float(synth, music::SYNTH_BLOCK_FRAMES, block, 0, 2, block, 1, 2);
            frames += music::SYNTH_BLOCK_FRAMES;
            if (end == 0 && music::ReachedEnd(player, &totalTicks)) end = frames;
            for (int i = 0; i < music::SYNTH_BLOCK_FRAMES * 2; ++i) samples[i] = music::ToSample(block[i]);
            if (!writer.Add(samples, music::SYNTH_BLOCK_FRAMES)) break;
            if (end > 0 && fluid_synth_get_active_voice_count(synth) == 0) {
                if (writer.Finish(end)) music::BoundTakes(job.take.parent_path(), job.folderBytes);
                break;
            }
            if (totalTicks <= 0 && fluid_player_get_status(player) == FLUID_PLAYER_DONE) break;
        }
    }
    if (player != nullptr) delete_fluid_player(player);
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
}

void Work() {
    // Only what the game leaves over: the music plays live meanwhile.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
    std::unique_lock lock(g_lock);
    while (!g_stop) {
        if (g_jobs.empty()) {
            g_changed.wait(lock);
            continue;
        }
        const Job job = std::move(g_jobs.front());
        g_jobs.pop_front();
        g_busy = true;
        lock.unlock();
        Render(job);
        lock.lock();
        g_busy = false;
        g_changed.notify_all();
    }
}

}  // namespace

namespace music {

void FillTake(TakeOrder order) {
    std::lock_guard lock(g_lock);
    if (!g_asked.insert(order.take).second) return;
    g_jobs.push_back(std::move(order));
    if (!g_worker.joinable()) {
        g_stop = false;
        g_worker = std::thread(Work);
    }
    g_changed.notify_all();
}

void FinishTakes() {
    std::unique_lock lock(g_lock);
    g_changed.wait(lock, [] { return g_jobs.empty() && !g_busy; });
}

void StopFillingTakes() {
    {
        std::lock_guard lock(g_lock);
        g_stop = true;
        g_jobs.clear();
        g_asked.clear();
        g_changed.notify_all();
    }
    if (g_worker.joinable()) g_worker.join();
}

}  // namespace music
