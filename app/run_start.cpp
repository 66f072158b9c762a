// The run's start state, field by field: one list serves both saving and restoring, each
// field with the range the game keeps it in, so a crafted state cannot reach outside it.
#include "app/run_start.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string>

#include "app/main.h"
#include "app/scene_switch.h"
#include "game/game_frame.h"
#include "game/movement.h"
#include "game/random.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "gfx/frame_pacing.h"
#include "gfx/transitions.h"
#include "platform/demo/demo_format.h"
#include "records/numbers.h"
#include "scenes/clear_results.h"
#include "scenes/ending_quit.h"
#include "scenes/opening_title.h"
#include "scenes/pause.h"

namespace {

// Positions, steps and hit points: the stage files give them up to 2^20, play moves them
// far less than this.
constexpr std::int64_t WORLD = std::int64_t{1} << 26;
constexpr std::int64_t ANY = std::numeric_limits<std::int64_t>::max();
constexpr std::size_t MOST_ALIAS = 16;

class Codec {
public:
    explicit Codec(std::vector<std::uint8_t>* out) : out_(out) {}
    explicit Codec(const std::vector<std::uint8_t>& in) : in_(&in) {}

    template <typename T>
    void operator()(T& value, std::int64_t low = -ANY, std::int64_t high = ANY) {
        if (out_ != nullptr) {
            const auto number = static_cast<std::int64_t>(value);
            PutVarint(*out_, (static_cast<std::uint64_t>(number) << 1) ^ static_cast<std::uint64_t>(number >> 63));
            return;
        }
        std::uint64_t zigzag = 0;
        if (!ok_ || !GetVarint(*in_, &pos_, &zigzag)) {
            ok_ = false;
            return;
        }
        const std::int64_t number = static_cast<std::int64_t>(zigzag >> 1) ^ -static_cast<std::int64_t>(zigzag & 1);
        const std::int64_t lowest = std::max<std::int64_t>(low, std::numeric_limits<T>::min());
        const std::int64_t highest =
            std::min<std::uint64_t>(static_cast<std::uint64_t>(high), std::numeric_limits<T>::max());
        if (number < lowest || number > highest) {
            ok_ = false;
            return;
        }
        value = static_cast<T>(number);
    }

    void Text(std::string& text, std::size_t most) {
        std::size_t length = text.size();
        (*this)(length, 0, static_cast<std::int64_t>(most));
        if (out_ != nullptr) {
            out_->insert(out_->end(), text.begin(), text.end());
            return;
        }
        if (!ok_ || in_->size() - pos_ < length) {
            ok_ = false;
            return;
        }
        text.assign(in_->begin() + static_cast<std::ptrdiff_t>(pos_),
                    in_->begin() + static_cast<std::ptrdiff_t>(pos_ + length));
        pos_ += length;
    }

    bool Whole() const { return out_ != nullptr || (ok_ && pos_ == in_->size()); }

private:
    std::vector<std::uint8_t>* out_ = nullptr;
    const std::vector<std::uint8_t>* in_ = nullptr;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

void Fields(Codec& c, Actor& actor) {
    c(actor.x, -WORLD, WORLD);
    c(actor.y, -WORLD, WORLD);
    c(actor.dx, -WORLD, WORLD);
    c(actor.dy, -WORLD, WORLD);
    c(actor.speedX, -WORLD, WORLD);
    c(actor.speedY, -WORLD, WORLD);
    c(actor.sprite);
    c(actor.hp, -WORLD, WORLD);
    c(actor.state);
    c(actor.dir);
    c(actor.anim);
    c(actor.power);
    c(actor.reserved1);
    c(actor.attack);
    c(actor.reserved2);
    c(actor.hitRect.left, -WORLD, WORLD);
    c(actor.hitRect.top, -WORLD, WORLD);
    c(actor.hitRect.right, -WORLD, WORLD);
    c(actor.hitRect.bottom, -WORLD, WORLD);
    c(actor.reserved3);
    c(actor.shatterFrame, -WORLD, WORLD);
}

// The stage's files set the map afresh; everything else the stage's first turns may see
// is here, with the scene in the range given.
bool Fields(Codec& c, MSG& lastMessage, int lowestScene, int highestScene) {
    c(g_scene, lowestScene, highestScene);
    c(g_randomState);
    for (std::int32_t& entry : g_ranking) c(entry);
    Fields(c, g_player);
    for (Actor& enemy : g_enemies) Fields(c, enemy);
    c(g_killCount);
    c(g_stageStart);
    c(g_frameTime);
    c(g_clearTime);
    c(g_pauseStart);
    c(g_pauseEnd);
    c(g_pauseTotal);
    c(g_keyLatch);
    c(g_moveRequest);
    c(g_camera.x, -WORLD, WORLD);
    c(g_camera.y, -WORLD, WORLD);
    c(g_frameLast);
    c(g_fpsFrames);
    c(g_fpsLast);
    for (std::size_t i = 0; i + 1 < sizeof g_fpsText; ++i) c(g_fpsText[i], 0, 0x7E);
    c(g_clearRadius, -1000, 1000);
    c(g_clearStep, -1000, 1000);
    c(g_countUpPercent, 0, 100);
    c(g_countUpDone, 0, 1);
    c(g_resultsAfterClear);
    c(g_endReveal, 0, 2 * SCREEN_HEIGHT);
    c(g_endScroll, 0, 1 << 16);
    c(g_endExit, 0, 2 * SCREEN_HEIGHT);
    c(g_openingFrames);
    c(g_titleSel, 0, 2);
    c(g_pauseSel, 0, 3);
    c(g_pauseKeyLatch);
    c(g_wipeStep, 0, 1 << 10);
    c(g_slideOffset, -(1 << 12), 1 << 12);
    c(lastMessage.message);
    c(lastMessage.wParam);
    c(lastMessage.lParam);
    c(lastMessage.time);
    bool toWindow = lastMessage.hwnd != nullptr;
    c(toWindow);
    lastMessage.hwnd = toWindow ? g_hwnd : nullptr;
    std::string piece = AwaitedPiece();
    c.Text(piece, MOST_ALIAS);
    // An alias is one word of letters and digits: it goes into a sound command.
    if (!c.Whole() || !std::all_of(piece.begin(), piece.end(), [](char ch) { return std::isalnum(ch) != 0; })) {
        return false;
    }
    if (!piece.empty() && piece != AwaitedPiece()) AwaitPiece(piece);
    return true;
}

}  // namespace

namespace {

bool Restore(const std::vector<std::uint8_t>& state, int lowestScene, int highestScene) {
    Codec codec(state);
    MSG lastMessage = LastMessage();
    if (!Fields(codec, lastMessage, lowestScene, highestScene)) return false;
    SetLastMessage(lastMessage);
    return true;
}

}  // namespace

std::vector<std::uint8_t> SaveRunStart() {
    std::vector<std::uint8_t> state;
    Codec codec(&state);
    MSG lastMessage = LastMessage();
    Fields(codec, lastMessage, SCENE_OPENING_INIT, SCENE_ENDING);
    return state;
}

bool RestoreRunStart(const std::vector<std::uint8_t>& state) {
    return Restore(state, SCENE_STAGE_INIT, SCENE_STAGE_INIT);
}

bool RestoreGameAside(const std::vector<std::uint8_t>& state) {
    return Restore(state, SCENE_OPENING_INIT, SCENE_ENDING);
}
