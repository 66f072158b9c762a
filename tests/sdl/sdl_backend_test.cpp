// The SDL backend on a private X server: the keys it adds beside the game's, the
// screenshot of the frame shown, the window's close request, and a game controller (one
// of SDL's virtual ones) playing the real game and unplugged in the middle of it.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL_mixer.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "app/main.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/ddraw.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_internal.h"
#include "scenes/opening_title.h"
#include "tests/e2e/display.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool g_closeRequested = false;
const backend::EventSink SINK{[](int) {}, [] { g_closeRequested = true; }, [](bool) {}};

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        backend::PumpEvents(SINK);
        if (done()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return done();
}

// The game's own loop, turn by turn, until the predicate holds.
bool PlayUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int exitCode = 0;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline || LoopTurn(&exitCode)) return false;
    }
    return true;
}

class SdlBackend : public ::testing::Test {
protected:
    void SetUp() override {
        backend::Install(sdl_backend::Backend());
        if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0) {
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        }
        fs::create_directories(scratch_);
        display_ = std::make_unique<e2e::VirtualDisplay>((scratch_ / "xvfb.log").string());
        ASSERT_TRUE(display_->Ready());
        setenv("DISPLAY", display_->Name().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_CONFIG_HOME", (scratch_ / "config").c_str(), 1);
        setenv("XDG_PICTURES_DIR", (scratch_ / "pictures").c_str(), 1);
    }

    void TearDown() override {
        // SDL lets go of the X server before the server goes.
        sdl_backend::ShutDownAudio();
        backend::CloseWindow();
        SDL_Quit();
        display_.reset();
        fs::current_path("/");
        fs::remove_all(scratch_);
    }

    std::string Settings() const {
        std::ostringstream text;
        text << std::ifstream(scratch_ / "config/lantern-blade/settings.ini").rdbuf();
        return text.str();
    }

    // The screen's top left corner, where the backend's notes show, as 0x00RRGGBB words.
    std::vector<std::uint32_t> ScreenCorner() const { return ScreenArea(0, CORNER_WIDTH, CORNER_HEIGHT); }
    // The screen's top rows from x = left on, `width` wide, as 0x00RRGGBB words.
    std::vector<std::uint32_t> ScreenArea(int left, int width, int height) const {
        const fs::path file = scratch_ / "corner.png";
        const std::string command = "import -display " + display_->Name() + " -window root -crop " +
                                    std::to_string(width) + "x" + std::to_string(height) + "+" +
                                    std::to_string(left) + "+0 " + file.string();
        std::vector<std::uint32_t> corner(static_cast<std::size_t>(width * height));
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (std::system(command.c_str()) != 0 || !png_image_begin_read_from_file(&image, file.c_str())) return corner;
        image.format = PNG_FORMAT_BGRA;
        if (image.width * image.height == corner.size()) png_image_finish_read(&image, nullptr, corner.data(), 0, nullptr);
        png_image_free(&image);
        for (std::uint32_t& word : corner) word &= 0xFFFFFF;
        return corner;
    }

    static constexpr int COUNTDOWN_LEFT = 532;  // its leftmost digit's, with five
    static constexpr int CORNER_WIDTH = 160;
    static constexpr int CORNER_HEIGHT = 48;
    const fs::path scratch_ = fs::temp_directory_path() / ("lb-sdl-" + std::to_string(::getpid()));
    std::unique_ptr<e2e::VirtualDisplay> display_;
};

TEST_F(SdlBackend, KeysBesideTheGamesAndTheScreenshotOfTheFrameShown) {
    ASSERT_TRUE(backend::OpenWindow("Direct X"));
    EXPECT_TRUE(display_->WaitForWindow("Lantern Blade", 10s)) << "the product's name";
    std::vector<std::uint8_t> pixels(640 * 480);
    std::uint32_t palette[256];
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>((i % 640) ^ (i / 640));
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = (i << 16) | ((255 - i) << 8) | (i * 7 % 256);
    backend::Present(pixels.data(), palette);

    // Enter and Space act as Z; Enter with Alt does not (it switches to a window).
    for (const char* key : {"Return", "space", "KP_Enter"}) {
        ASSERT_TRUE(display_->Xdotool(std::string("keydown ") + key));
        EXPECT_TRUE(PumpUntil([] { return backend::KeyHeld('Z'); })) << key;
        ASSERT_TRUE(display_->Xdotool(std::string("keyup ") + key));
        EXPECT_TRUE(PumpUntil([] { return !backend::KeyHeld('Z'); })) << key;
    }
    // Letters go by the layout's key, also after the layout changes: with a French one Z is
    // where QWERTY has W.
    ASSERT_EQ(std::system("setxkbmap fr"), 0);
    ASSERT_TRUE(display_->Xdotool("keydown z"));
    EXPECT_TRUE(PumpUntil([] { return backend::KeyHeld('Z') && !backend::KeyHeld('W'); }));
    ASSERT_TRUE(display_->Xdotool("keyup z"));
    EXPECT_TRUE(PumpUntil([] { return !backend::KeyHeld('Z'); }));
    ASSERT_EQ(std::system("setxkbmap us"), 0);
    ASSERT_TRUE(display_->Xdotool("keydown alt+Return"));
    EXPECT_TRUE(PumpUntil([&] { return Settings().find("fullscreen=false") != std::string::npos; }));
    EXPECT_FALSE(backend::KeyHeld('Z'));
    ASSERT_TRUE(display_->Xdotool("keyup alt+Return"));

    // Dragging the window's edge through 20 sizes writes the settings once, when it rests.
    for (int step = 1; step <= 20; ++step) {
        SDL_Event resized{SDL_WINDOWEVENT};
        resized.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
        resized.window.data1 = 700 + step;
        resized.window.data2 = 500 + step;
        ASSERT_EQ(SDL_PushEvent(&resized), 1);
    }
    backend::PumpEvents(SINK);
    EXPECT_EQ(Settings().find("window_width=7"), std::string::npos) << "written before the resize rests";
    EXPECT_TRUE(PumpUntil([&] { return Settings().find("window_width=720\nwindow_height=520") != std::string::npos; }))
        << Settings();

    // M mutes for the run; minus and plus (the = key) step both volumes, which are kept. Each
    // step is the same change of loudness, 3 dB, down to silence.
    ASSERT_TRUE(display_->Xdotool("key F11"));
    EXPECT_TRUE(PumpUntil([&] { return Settings().find("fullscreen=true") != std::string::npos; }));
    testing::internal::CaptureStderr();
    ASSERT_TRUE(display_->Xdotool("key m"));
    EXPECT_TRUE(PumpUntil([] { return Mix_MasterVolume(-1) == 0; }));
    const std::vector<std::uint32_t> noted = ScreenCorner();
    ASSERT_TRUE(display_->Xdotool("key m"));
    EXPECT_TRUE(PumpUntil([] { return Mix_MasterVolume(-1) == MIX_MAX_VOLUME; }));
    std::vector<int> levels{MIX_MAX_VOLUME};
    for (int press = 0; press < 10; ++press) {
        ASSERT_TRUE(display_->Xdotool("key minus"));
        ASSERT_TRUE(PumpUntil([&] { return Mix_MasterVolume(-1) != levels.back(); })) << press;
        levels.push_back(Mix_MasterVolume(-1));
    }
    for (std::size_t i = 1; i + 1 < levels.size(); ++i) {
        EXPECT_NEAR(20 * std::log10(static_cast<double>(levels[i - 1]) / levels[i]), 3.0, 0.6) << levels[i];
    }
    EXPECT_EQ(levels.back(), 0);
    ASSERT_TRUE(display_->Xdotool("key equal equal equal equal equal equal equal equal equal"));
    EXPECT_TRUE(PumpUntil([&] {
        return Settings().find("music_volume=90\neffects_volume=90") != std::string::npos;
    })) << Settings();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("lantern-blade: muted\nlantern-blade: sound on\nlantern-blade: volume 90 %\n"),
              std::string::npos) << said;
    EXPECT_NE(said.find("lantern-blade: volume 0 %\n"), std::string::npos) << said;

    // The note is drawn over the picture shown, for about a second, never into the frame.
    const auto noteMarks = [&](const std::vector<std::uint32_t>& corner) {
        std::size_t count = 0;
        for (int y = 0; y < CORNER_HEIGHT; ++y) {
            for (int x = 0; x < CORNER_WIDTH; ++x) count += corner[y * CORNER_WIDTH + x] != palette[pixels[y * 640 + x]];
        }
        return count;
    };
    EXPECT_GT(noteMarks(noted), 200u);
    EXPECT_TRUE(PumpUntil([&] { return noteMarks(ScreenCorner()) == 0; }, 3s));

    // F12 saves the frame shown at 640x480, whatever the window's size. A link planted under
    // the name the screenshot would take is not followed: the picture takes the next name.
    const fs::path folder = scratch_ / "pictures/Lantern Blade";
    fs::create_directories(folder);
    const std::time_t now = std::time(nullptr);
    for (std::time_t second = now; second < now + 5; ++second) {
        char name[64];
        std::strftime(name, sizeof name, "lantern-blade_%Y-%m-%d_%H-%M-%S.png", std::localtime(&second));
        fs::create_symlink(scratch_ / "planted.png", folder / name);
    }
    testing::internal::CaptureStderr();
    ASSERT_TRUE(display_->Xdotool("key F12"));
    ASSERT_TRUE(PumpUntil([&] { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()) > 5; }));
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(scratch_ / "planted.png"));
    fs::path shot;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_symlink()) shot = entry.path();
    }
    EXPECT_NE(told.find("lantern-blade: screenshot saved as " + shot.string() + "\n"), std::string::npos) << told;
    EXPECT_TRUE(shot.filename().string().starts_with("lantern-blade_")) << shot;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, shot.c_str()));
    ASSERT_EQ(image.width * image.height, 640u * 480u);
    // Read as bytes B, G, R, A: on this little-endian machine the words 0xAARRGGBB.
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint32_t> shown(pixels.size());
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, shown.data(), 0, nullptr));
    std::size_t differing = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) differing += shown[i] != (0xFF000000u | palette[pixels[i]]);
    EXPECT_EQ(differing, 0u);

    // A hang-up asks to close, as SIGTERM does, so that a save under way ends first.
    raise(SIGHUP);
    EXPECT_TRUE(PumpUntil([] { return g_closeRequested; }));
    g_closeRequested = false;
    SDL_Event quit{SDL_QUIT};
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    EXPECT_TRUE(PumpUntil([] { return g_closeRequested; }));
}

// The screen of the private server as its root window holds it: the pixels that differ
// from the frame (palette indices through their colours), or -1 when it cannot be read.
int PixelsNotAsPresented(const std::vector<std::uint8_t>& pixels, const std::uint32_t* palette) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return -1;
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, 640, 480, AllPlanes, ZPixmap);
    int differing = image == nullptr ? -1 : 0;
    for (int y = 0; image != nullptr && y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            differing += (XGetPixel(image, x, y) & 0xFFFFFF) != palette[pixels[y * 640 + x]];
        }
    }
    if (image != nullptr) XDestroyImage(image);
    XCloseDisplay(display);
    return differing;
}

// The game's SDL window, or null.
SDL_Window* OpenSdlWindow() {
    for (Uint32 id = 1; id < 100; ++id) {
        if (SDL_Window* window = SDL_GetWindowFromID(id)) return window;
    }
    return nullptr;
}

// A screen the picture's size: each frame reaches it whole, drawn through the window
// surface or through a renderer, when a few rows change and when only the palette does.
// OpenGL drawn by the processor (this X server's), asked for or not, gives way to the
// window surface.
TEST_F(SdlBackend, TheScreenShowsEveryFrameWholeWhenFewRowsOrOnlyThePaletteChange) {
    std::vector<std::uint8_t> pixels(640 * 480);
    std::uint32_t palette[256];
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i % 640 + i / 640 * 3);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = (i << 16) | ((i * 5 & 0xFF) << 8) | (255 - i);
    for (const char* driver : {"", "software", "opengl", "opengles2"}) {
        SCOPED_TRACE(*driver == '\0' ? "window surface" : driver);
        setenv("SDL_RENDER_DRIVER", driver, 1);
        ASSERT_TRUE(backend::OpenWindow("Direct X"));
        ASSERT_TRUE(display_->WaitForWindow("Lantern Blade", 10s));
        EXPECT_EQ(SDL_GetRenderer(OpenSdlWindow()) != nullptr, std::strcmp(driver, "software") == 0);
        const auto shows = [&] {
            backend::Present(pixels.data(), palette);
            return PixelsNotAsPresented(pixels, palette) == 0;
        };
        EXPECT_TRUE(PumpUntil(shows)) << PixelsNotAsPresented(pixels, palette);
        for (const int row : {0, 1, 2, 240, 479}) {
            for (int x = row; x < 640; x += 7) pixels[row * 640 + x] ^= 0x55;
        }
        EXPECT_TRUE(PumpUntil(shows)) << PixelsNotAsPresented(pixels, palette);
        palette[pixels[0]] ^= 0x808080;
        EXPECT_TRUE(PumpUntil(shows)) << PixelsNotAsPresented(pixels, palette);
        backend::CloseWindow();
    }
    unsetenv("SDL_RENDER_DRIVER");
}

// A note, however long, stays left of the countdown's digits at the top right of play.
TEST_F(SdlBackend, ANoteLeavesTheCountdownInSight) {
    ASSERT_TRUE(backend::OpenWindow("Direct X"));
    ASSERT_TRUE(display_->WaitForWindow("Lantern Blade", 10s));
    const std::vector<std::uint8_t> pixels(640 * 480, 7);
    std::uint32_t palette[256] = {};
    palette[7] = 0x336699;
    backend::Present(pixels.data(), palette);
    sdl_backend::ShowNote(std::string(80, 'W'), "a long note");
    const auto marked = [](const std::vector<std::uint32_t>& area) {
        return std::count_if(area.begin(), area.end(), [](std::uint32_t pixel) { return pixel != 0x336699; });
    };
    ASSERT_TRUE(PumpUntil([&] { return marked(ScreenArea(0, 160, 48)) > 200; }));
    EXPECT_EQ(marked(ScreenArea(COUNTDOWN_LEFT, 640 - COUNTDOWN_LEFT, 48)), 0);
}

// The game window on the X server (with no window manager a child of the root window), or 0.
Window GameWindow(Display* display) {
    Window root = DefaultRootWindow(display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window game = 0;
    XQueryTree(display, root, &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) != 0 && std::string(title) == "Lantern Blade") game = children[i];
        if (title != nullptr) XFree(title);
    }
    if (children != nullptr) XFree(children);
    return game;
}

// The game window's place as the X server has it.
SDL_Rect WindowPlace(const std::string& displayName) {
    SDL_Rect place{};
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) return place;
    XWindowAttributes attributes;
    if (const Window game = GameWindow(display); game != 0 && XGetWindowAttributes(display, game, &attributes) != 0) {
        place = {attributes.x, attributes.y, attributes.width, attributes.height};
    }
    XCloseDisplay(display);
    return place;
}

// A key pressed just after a pump, and before the idle pause that ends where a frame is
// due, is held at that frame's pump, however soon after the last one the pause ends.
TEST_F(SdlBackend, AKeyPressedDuringAnIdlePauseIsHeldAtTheTurnAfterIt) {
    ASSERT_TRUE(backend::OpenWindow("Direct X"));
    Display* display = XOpenDisplay(display_->Name().c_str());
    ASSERT_NE(display, nullptr);
    Window game = 0;
    ASSERT_TRUE(PumpUntil([&] { return (game = GameWindow(display)) != 0; }));
    XKeyEvent press{};
    press.type = KeyPress;
    press.display = display;
    press.window = game;
    press.root = DefaultRootWindow(display);
    press.same_screen = True;
    press.keycode = XKeysymToKeycode(display, XK_z);
    backend::PumpEvents(SINK);
    ASSERT_FALSE(backend::KeyHeld('Z'));
    XSendEvent(display, game, True, KeyPressMask, reinterpret_cast<XEvent*>(&press));
    XSync(display, False);
    backend::Idle(1);
    backend::PumpEvents(SINK);
    EXPECT_TRUE(backend::KeyHeld('Z'));
    XCloseDisplay(display);
}

// With no window manager (a kiosk, this X server) nobody would act on a request for
// fullscreen: the backend covers the screen itself, and F11 gives the saved window size,
// centred, and back.
TEST_F(SdlBackend, WithoutAWindowManagerFullscreenCoversTheScreenAndSwitches) {
    display_ = std::make_unique<e2e::VirtualDisplay>((scratch_ / "xvfb-large.log").string(), "1280x1024x24");
    ASSERT_TRUE(display_->Ready());
    setenv("DISPLAY", display_->Name().c_str(), 1);
    sdl_backend::PlayerSettings() = ::Settings{};  // an earlier test's stay in memory
    ASSERT_TRUE(backend::OpenWindow("Direct X"));
    const auto placed = [&](SDL_Rect want) {
        return PumpUntil([&] {
            const SDL_Rect place = WindowPlace(display_->Name());
            return SDL_RectEquals(&place, &want) == SDL_TRUE;
        });
    };
    EXPECT_TRUE(placed({0, 0, 1280, 1024}));
    // SDL is not asked for fullscreen, which it would wait for a window manager to grant.
    EXPECT_EQ(SDL_GetWindowFlags(OpenSdlWindow()) & SDL_WINDOW_FULLSCREEN, 0u);
    ASSERT_TRUE(display_->Xdotool("key F11"));
    EXPECT_TRUE(placed({0, 32, 1280, 960}));
    EXPECT_TRUE(PumpUntil([&] { return Settings().find("fullscreen=false") != std::string::npos; }));
    ASSERT_TRUE(display_->Xdotool("key F11"));
    EXPECT_TRUE(placed({0, 0, 1280, 1024}));
    EXPECT_TRUE(PumpUntil([&] { return Settings().find("fullscreen=true") != std::string::npos; }));
}

// With no window manager on a screen smaller than the saved window, a window is the
// largest whole multiple of the picture that fits, centred (not the whole screen round a
// picture at its own size), and opening it writes no settings: only the player's changes
// are kept.
TEST_F(SdlBackend, WithoutAWindowManagerAWindowIsAWholeMultipleThatFitsAndWritesNoSettings) {
    display_ = std::make_unique<e2e::VirtualDisplay>((scratch_ / "xvfb-small.log").string(), "1024x768x24");
    ASSERT_TRUE(display_->Ready());
    setenv("DISPLAY", display_->Name().c_str(), 1);
    sdl_backend::PlayerSettings() = ::Settings{};
    ChooseDisplay(DisplayChoice::Windowed);
    ASSERT_TRUE(backend::OpenWindow("Direct X"));
    const SDL_Rect want{192, 144, 640, 480};
    EXPECT_TRUE(PumpUntil([&] {
        const SDL_Rect place = WindowPlace(display_->Name());
        return SDL_RectEquals(&place, &want) == SDL_TRUE;
    }));
    PumpUntil([] { return false; }, 1500ms);
    EXPECT_FALSE(fs::exists(scratch_ / "config/lantern-blade/settings.ini")) << Settings();
    ChooseDisplay(DisplayChoice::AsSaved);
}

// A volume changed just before the game ends is kept, though it had no time to settle.
TEST_F(SdlBackend, AVolumeChangedJustBeforeTheEndIsKept) {
    const pid_t child = fork();
    if (child == 0) {
        if (!backend::OpenWindow("Direct X")) _exit(2);
        sdl_backend::ChangeVolume(-1);
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(Settings().find("music_volume=90\neffects_volume=90"), std::string::npos) << Settings();
}

// The first window opens at the saved size when that fits the screen with the window's
// frame, else at the largest whole multiple of the picture that does.
TEST(FirstWindow, FitsTheScreenWithItsFrame) {
    const struct {
        int savedWidth, savedHeight;
        SDL_Point room;
        int width, height;
    } cases[] = {
        {1280, 960, {1280, 960 - 20}, 640, 480},  // a 1280x960 screen with a 20 px title bar
        {1280, 960, {1920, 1080 - 30}, 1280, 960},
        {1000, 700, {1280, 940}, 1000, 700},
        {2560, 1920, {1920, 1050}, 1280, 960},
        {1280, 960, {600, 400}, 640, 480},
        {1280, 960, {0, 0}, 1280, 960},  // no screen size known
    };
    for (const auto& c : cases) {
        int width = 0;
        int height = 0;
        sdl_backend::FitWindowSize(c.savedWidth, c.savedHeight, c.room, &width, &height);
        EXPECT_EQ(width, c.width) << c.room.x << "x" << c.room.y;
        EXPECT_EQ(height, c.height) << c.room.x << "x" << c.room.y;
    }
}

TEST_F(SdlBackend, AGamepadPlaysTheTitleMenuAndASwingAndMayBeUnpluggedMidGame) {
    fs::copy(LB_SOURCE_DIR "/data", scratch_ / "game", fs::copy_options::recursive);
    fs::current_path(scratch_ / "game");
    // SDL's disk driver writes what would reach the speakers into a file.
    const fs::path speakers = scratch_ / "speakers.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", speakers.c_str(), 1);
    ASSERT_TRUE(StartUp(nullptr, SW_SHOWDEFAULT));

    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.name = "Virtual pad";
    const int index = SDL_JoystickAttachVirtualEx(&pad);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr);
    const auto press = [&](SDL_GameControllerButton button, const std::function<bool()>& done) {
        SDL_JoystickSetVirtualButton(joystick, button, 1);
        const bool happened = PlayUntil(done);
        SDL_JoystickSetVirtualButton(joystick, button, 0);
        // Released: the menus' and the play's key latch opens again.
        return happened && PlayUntil([] { return g_keyLatch == 0; });
    };

    g_scene = SCENE_TITLE_INIT;
    ASSERT_TRUE(PlayUntil([] { return g_scene == SCENE_TITLE; }));
    const auto heard = [&] {
        std::ifstream in(speakers, std::ios::binary);
        return std::any_of(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(),
                           [](char byte) { return byte != 0; });
    };
    EXPECT_TRUE(PlayUntil(heard)) << "the title's music is silent";
    EXPECT_TRUE(press(SDL_CONTROLLER_BUTTON_DPAD_DOWN, [] { return g_titleSel == 1; }));
    EXPECT_TRUE(press(SDL_CONTROLLER_BUTTON_DPAD_UP, [] { return g_titleSel == 0; }));
    ASSERT_TRUE(press(SDL_CONTROLLER_BUTTON_A, [] { return g_scene == SCENE_PLAY; }));
    EXPECT_TRUE(press(SDL_CONTROLLER_BUTTON_A, [] { return g_player.attack != 0 && Mix_Playing(-1) > 0; }))
        << "no swing heard";

    // Pulled out while the stick is pushed: the hero stops and the game plays on.
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MAX);
    ASSERT_TRUE(PlayUntil([] { return backend::KeyHeld(VK_RIGHT); }));
    SDL_JoystickClose(joystick);
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    const std::uint64_t frames = PresentedFrameCount();
    ASSERT_TRUE(PlayUntil([&] { return PresentedFrameCount() >= frames + 25; }));
    EXPECT_FALSE(backend::KeyHeld(VK_RIGHT));
    EXPECT_EQ(g_scene, SCENE_PLAY);
}

}  // namespace
