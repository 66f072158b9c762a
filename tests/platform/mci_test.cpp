// MCI command strings: the parser, the aliases, and which notifications reach the callback
// window. The headless backend says what plays and ends pieces on request.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/mmsystem.h"
#include "platform/win32.h"
#include "tests/support/harness.h"

namespace {

using Notes = std::vector<std::pair<WPARAM, LPARAM>>;
constexpr WPARAM SUCCESS = MCI_NOTIFY_SUCCESSFUL;
constexpr WPARAM ABORTED = MCI_NOTIFY_ABORTED;

class Mci : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {"Battle03.mid", "OPENING.mid"}) test::WriteFile(file, test::SILENT_MIDI);
        for (const char* file : {"Sword.wav", "notes.txt"}) test::WriteFile(file, "data");
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "Sound Test";
        RegisterClassA(&windowClass);
        hwnd_ = CreateWindowExA(0, "Sound Test", "Direct X", 0, 0, 0, 640, 480, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
    }

    MCIERROR Send(const std::string& command, bool withCallback = true) {
        return mciSendStringA(command.c_str(), nullptr, 0, withCallback ? hwnd_ : nullptr);
    }

    // Every MM_MCINOTIFY waiting in the queue, as (code, device) pairs.
    Notes Notifications() {
        Notes found;
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != MM_MCINOTIFY) continue;
            EXPECT_EQ(msg.hwnd, hwnd_);
            found.emplace_back(msg.wParam, msg.lParam);
        }
        return found;
    }

    // Sends each command, expecting success ("~" first: without a callback window), or ends
    // the piece named after "end "; then the notifications waiting.
    Notes Run(std::initializer_list<std::string> steps) {
        for (const std::string& step : steps) {
            if (step.starts_with("end ")) {
                headless::FinishPiece(step.substr(4));
            } else {
                EXPECT_EQ(Send(step.substr(step[0] == '~'), step[0] != '~'), 0u) << step;
            }
        }
        return Notifications();
    }

    // Opens a file under an alias; its device id, read from the notification of a play to
    // its end.
    LPARAM OpenDevice(const std::string& file, const std::string& alias) {
        const Notes found =
            Run({"Open " + file + " Alias " + alias, "play " + alias + " notify", "end " + file});
        return found.size() == 1 ? found[0].second : -1;
    }

    test::ScratchDir dir_;
    HWND hwnd_ = nullptr;
};

TEST_F(Mci, ParserIgnoresCaseAndBlanksAndRefusesMalformedCommandsWithoutSideEffects) {
    Run({"  OPEN\tBATTLE03.MID   aLiAs  Bat03 ", "Play bat03 FROM 0 NOTIFY"});
    EXPECT_TRUE(headless::IsPlaying("Battle03.mid"));
    Run({"stop BAT03\t", "CLOSE Bat03", "open OPENING.mid alias OPE01",
         "play OPE01 notify from 000"});
    EXPECT_FALSE(headless::IsPlaying("Battle03.mid"));
    headless::ClearMciLog();
    test::WriteFile("folder.mid/inside", "");
    const std::vector<std::pair<std::string, MCIERROR>> bad = {
        {"", MCIERR_MISSING_COMMAND_STRING},
        {" \t ", MCIERR_MISSING_COMMAND_STRING},
        {"jump OPE01", MCIERR_UNRECOGNIZED_COMMAND},
        {"play", MCIERR_MISSING_PARAMETER},
        {"stop", MCIERR_MISSING_PARAMETER},
        {"play OPE01 from", MCIERR_MISSING_PARAMETER},
        {"play OPE01 from zero notify", MCIERR_BAD_INTEGER},
        {"play OPE01 from -1", MCIERR_BAD_INTEGER},
        {"play OPE01 from 99999999999999999999999", MCIERR_OUTOFRANGE},
        {"play OPE01 loudly", MCIERR_UNRECOGNIZED_KEYWORD},
        {"stop OPE01 now", MCIERR_UNRECOGNIZED_KEYWORD},
        {"close OPE01 now", MCIERR_UNRECOGNIZED_KEYWORD},
        {"open Sword.wav", MCIERR_MISSING_PARAMETER},
        {"open Sword.wav alias", MCIERR_MISSING_PARAMETER},
        {"open Sword.wav as SWO", MCIERR_UNRECOGNIZED_KEYWORD},
        {"open Sword.wav alias SWO extra", MCIERR_UNRECOGNIZED_KEYWORD},
        {"open notes.txt alias TXT", MCIERR_EXTENSION_NOT_FOUND},
        {"open noextension alias NX", MCIERR_EXTENSION_NOT_FOUND},
        {"open Sword.wav alias ope01", MCIERR_DUPLICATE_ALIAS},
        {"Open GAMEOVER.mid Alias GAM01", MCIERR_FILE_NOT_FOUND},
        {"Open folder.mid Alias DIR", MCIERR_FILE_NOT_FOUND},
        {"play OPE01" + std::string(1015, ' '), MCIERR_PARAM_OVERFLOW},  // 1025 characters
        // No refused open made its alias.
        {"Play GAM01 from 0 notify", MCIERR_INVALID_DEVICE_NAME},
        {"Stop GAM01", MCIERR_INVALID_DEVICE_NAME},
        {"Close GAM01", MCIERR_INVALID_DEVICE_NAME},
        {"play DIR", MCIERR_INVALID_DEVICE_NAME},
        {"play SWO", MCIERR_INVALID_DEVICE_NAME},
        {"play TXT", MCIERR_INVALID_DEVICE_NAME},
    };
    for (const auto& [command, error] : bad) {
        EXPECT_EQ(Send(command), error) << '"' << command << '"';
    }
    EXPECT_EQ(mciSendStringA(nullptr, nullptr, 0, hwnd_), MCIERR_MISSING_COMMAND_STRING);
    ASSERT_EQ(headless::MciLog().size(), bad.size());
    for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_EQ(headless::MciLog()[i], bad[i].first);

    // Nothing was interrupted: the piece plays on, its notify still pending.
    EXPECT_TRUE(headless::IsPlaying("OPENING.mid"));
    EXPECT_TRUE(Notifications().empty());
    EXPECT_EQ(Run({"end OPENING.mid"}).size(), 1u);
}

TEST_F(Mci, EachNotifyEndsOnceInSuccessOrAbortAndOnlyWithACallback) {
    const LPARAM bat = OpenDevice("BATTLE03.mid", "BAT03");
    const LPARAM ope = OpenDevice("OPENING.mid", "OPE01");
    const LPARAM swo = OpenDevice("Sword.wav", "SWO");
    EXPECT_NE(bat, ope);
    EXPECT_NE(ope, swo);

    EXPECT_EQ(Run({"Play BAT03 from 0 notify", "end BATTLE03.mid"}), (Notes{{SUCCESS, bat}}));
    EXPECT_FALSE(headless::IsPlaying("BATTLE03.mid"));
    // The notify was used up: stopping the ended piece reports nothing.
    EXPECT_EQ(Run({"Stop BAT03"}), Notes{});
    // A restart aborts the pending notify at once, even when the end was already reported
    // (as from the audio thread) but not yet fetched.
    EXPECT_EQ(Run({"Play BAT03 from 0 notify", "end BATTLE03.mid", "Play BAT03 from 0 notify"}),
              (Notes{{ABORTED, bat}}));
    // One music piece at a time, while the effects mix over it.
    EXPECT_EQ(Run({"Play OPE01 from 0 notify", "~Play SWO from 0 notify"}),
              (Notes{{ABORTED, bat}}));
    EXPECT_FALSE(headless::IsPlaying("BATTLE03.mid"));
    EXPECT_TRUE(headless::IsPlaying("OPENING.mid"));
    EXPECT_TRUE(headless::IsPlaying("Sword.wav"));
    EXPECT_EQ(Run({"Stop OPE01", "Close OPE01"}), (Notes{{ABORTED, ope}}));
    // A close without a stop aborts as well, and the alias is gone until opened again.
    EXPECT_EQ(Run({"Play SWO from 0 notify", "Close SWO"}), (Notes{{ABORTED, swo}}));
    EXPECT_FALSE(headless::IsPlaying("Sword.wav"));
    EXPECT_EQ(Send("Play SWO"), MCIERR_INVALID_DEVICE_NAME);
    // Without notify, or without a callback window, nothing is posted.
    EXPECT_EQ(Run({"Open Sword.wav Alias SWO", "Play SWO from 0", "end Sword.wav",
                   "~Play SWO from 0 notify", "end Sword.wav", "~Play SWO from 0 notify",
                   "~Play SWO from 0 notify", "~Close SWO"}),
              Notes{});
}

}  // namespace
