// MCI command strings: the parser, the aliases, and which notifications reach the
// callback window. Sound files are small files in a scratch folder; the headless backend
// says what plays and ends pieces on request.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/mmsystem.h"
#include "platform/win32.h"
#include "tests/support/harness.h"

namespace {

LRESULT IgnoringProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

class Mci : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteFile("Battle03.mid", "MThd");
        test::WriteFile("OPENING.mid", "MThd");
        test::WriteFile("Sword.wav", "RIFF");
        test::WriteFile("notes.txt", "text");
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = IgnoringProc;
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
    std::vector<std::pair<WPARAM, LPARAM>> Notifications() {
        std::vector<std::pair<WPARAM, LPARAM>> found;
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != MM_MCINOTIFY) continue;
            EXPECT_EQ(msg.hwnd, hwnd_);
            found.emplace_back(msg.wParam, msg.lParam);
        }
        return found;
    }

    // Opens a file under an alias and returns its device id, read from the notification
    // of a play to its end.
    LPARAM OpenDevice(const std::string& file, const std::string& alias) {
        EXPECT_EQ(Send("Open " + file + " Alias " + alias), 0u);
        EXPECT_EQ(Send("play " + alias + " notify"), 0u);
        headless::FinishPiece(file);
        const auto found = Notifications();
        return found.size() == 1 ? found[0].second : -1;
    }

    test::ScratchDir dir_;
    HWND hwnd_ = nullptr;
};

using Notes = std::vector<std::pair<WPARAM, LPARAM>>;

}  // namespace

TEST_F(Mci, VerbsOptionsAndAliasesIgnoreCaseAndRunsOfBlanks) {
    EXPECT_EQ(Send("  OPEN\tBATTLE03.MID   aLiAs  Bat03 "), 0u);
    EXPECT_EQ(Send("Play bat03 FROM 0 NOTIFY"), 0u);
    EXPECT_TRUE(headless::IsPlaying("Battle03.mid"));
    EXPECT_EQ(Send("stop BAT03\t"), 0u);
    EXPECT_FALSE(headless::IsPlaying("Battle03.mid"));
    EXPECT_EQ(Send("play BAT03 notify from 000"), 0u);
    EXPECT_TRUE(headless::IsPlaying("Battle03.mid"));
    EXPECT_EQ(Send("CLOSE Bat03"), 0u);
    EXPECT_FALSE(headless::IsPlaying("Battle03.mid"));
}

TEST_F(Mci, MalformedCommandsFailWithoutSideEffectsAndAreAllLogged) {
    ASSERT_EQ(Send("open OPENING.mid alias OPE01"), 0u);
    ASSERT_EQ(Send("play OPE01 from 0 notify"), 0u);
    headless::ClearMciLog();
    Notifications();

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
        {"play NOPE", MCIERR_INVALID_DEVICE_NAME},
        {"open Sword.wav", MCIERR_MISSING_PARAMETER},
        {"open Sword.wav alias", MCIERR_MISSING_PARAMETER},
        {"open Sword.wav as SWO", MCIERR_UNRECOGNIZED_KEYWORD},
        {"open Sword.wav alias SWO extra", MCIERR_UNRECOGNIZED_KEYWORD},
        {"open notes.txt alias TXT", MCIERR_EXTENSION_NOT_FOUND},
        {"open noextension alias NX", MCIERR_EXTENSION_NOT_FOUND},
        {"open Sword.wav alias ope01", MCIERR_DUPLICATE_ALIAS},
        {"play OPE01" + std::string(MCI_MAX_COMMAND_LENGTH, ' '), MCIERR_PARAM_OVERFLOW},
    };
    for (const auto& [command, error] : bad) {
        EXPECT_EQ(Send(command), error) << '"' << command << '"';
    }
    EXPECT_EQ(mciSendStringA(nullptr, nullptr, 0, hwnd_), MCIERR_MISSING_COMMAND_STRING);

    // Nothing was interrupted: the piece plays on, its notify still pending.
    EXPECT_TRUE(headless::IsPlaying("OPENING.mid"));
    EXPECT_TRUE(Notifications().empty());
    headless::FinishPiece("OPENING.mid");
    const Notes notes = Notifications();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].first, MCI_NOTIFY_SUCCESSFUL);

    ASSERT_EQ(headless::MciLog().size(), bad.size());
    for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_EQ(headless::MciLog()[i], bad[i].first);
    // The refused aliases were not created.
    EXPECT_EQ(Send("play SWO"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("play TXT"), MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(Mci, OpenOfAMissingFileLeavesTheAliasFailingSilently) {
    test::WriteFile("folder.mid/inside", "");
    EXPECT_EQ(Send("Open GAMEOVER.mid Alias GAM01"), MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(Send("Open folder.mid Alias DIR"), MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(Send("Play GAM01 from 0 notify"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("Stop GAM01"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("Close GAM01"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("Play DIR"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_TRUE(Notifications().empty());
    EXPECT_EQ(headless::MciLog().size(), 6u);
}

TEST_F(Mci, APieceThatPlaysToItsEndNotifiesSuccessOnceWithItsDevice) {
    const LPARAM bat = OpenDevice("BATTLE03.mid", "BAT03");
    const LPARAM ope = OpenDevice("OPENING.mid", "OPE01");
    EXPECT_NE(bat, ope);

    ASSERT_EQ(Send("Play BAT03 from 0 notify"), 0u);
    headless::FinishPiece("BATTLE03.mid");
    EXPECT_FALSE(headless::IsPlaying("BATTLE03.mid"));
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_SUCCESSFUL, bat}}));

    // The notify was used up: stopping or closing the ended piece reports nothing.
    EXPECT_EQ(Send("Stop BAT03"), 0u);
    EXPECT_EQ(Send("Close BAT03"), 0u);
    EXPECT_TRUE(Notifications().empty());

    // A play without notify ends silently.
    ASSERT_EQ(Send("Play OPE01 from 0"), 0u);
    headless::FinishPiece("OPENING.mid");
    EXPECT_TRUE(Notifications().empty());
}

TEST_F(Mci, ANewPlayAbortsThePendingNotifyDuringTheCall) {
    const LPARAM ope = OpenDevice("OPENING.mid", "OPE01");

    // The restart the loop sends after a finished piece.
    ASSERT_EQ(Send("Play OPE01 from 0 notify"), 0u);
    ASSERT_EQ(Send("Play OPE01 from 0 notify"), 0u);
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_ABORTED, ope}}));
    EXPECT_TRUE(headless::IsPlaying("OPENING.mid"));

    // The second play still has its notify.
    headless::FinishPiece("OPENING.mid");
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_SUCCESSFUL, ope}}));
}

TEST_F(Mci, StopAndCloseAbortThePendingNotifyOnce) {
    const LPARAM ope = OpenDevice("OPENING.mid", "OPE01");
    const LPARAM swo = OpenDevice("Sword.wav", "SWO");

    // The Escape teardown: stop, then close.
    ASSERT_EQ(Send("Play OPE01 from 0 notify"), 0u);
    ASSERT_EQ(Send("Stop OPE01"), 0u);
    ASSERT_EQ(Send("Close OPE01"), 0u);
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_ABORTED, ope}}));

    // A close without a stop aborts as well, and the alias is gone until opened again.
    ASSERT_EQ(Send("Play SWO from 0 notify"), 0u);
    ASSERT_EQ(Send("Close SWO"), 0u);
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_ABORTED, swo}}));
    EXPECT_FALSE(headless::IsPlaying("Sword.wav"));
    EXPECT_EQ(Send("Play SWO"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("Open Sword.wav Alias SWO"), 0u);
    EXPECT_EQ(Send("Play SWO"), 0u);
}

TEST_F(Mci, OneMusicPieceAtATimeWhileEffectsMix) {
    ASSERT_EQ(Send("Open OPENING.mid Alias OPE01"), 0u);
    ASSERT_EQ(Send("Open Sword.wav Alias SWO"), 0u);
    const LPARAM bat = OpenDevice("BATTLE03.mid", "BAT03");

    ASSERT_EQ(Send("Play BAT03 from 0 notify"), 0u);
    ASSERT_EQ(Send("Play SWO from 0 notify", false), 0u);
    EXPECT_TRUE(headless::IsPlaying("BATTLE03.mid"));
    EXPECT_TRUE(headless::IsPlaying("Sword.wav"));
    EXPECT_TRUE(Notifications().empty());

    ASSERT_EQ(Send("Play OPE01 from 0 notify"), 0u);
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_ABORTED, bat}}));
    EXPECT_FALSE(headless::IsPlaying("BATTLE03.mid"));
    EXPECT_TRUE(headless::IsPlaying("OPENING.mid"));
    EXPECT_TRUE(headless::IsPlaying("Sword.wav"));

    // The replaced piece was stopped: stopping it again reports nothing.
    EXPECT_EQ(Send("Stop BAT03"), 0u);
    EXPECT_TRUE(Notifications().empty());
}

TEST_F(Mci, ANullCallbackPostsNothing) {
    ASSERT_EQ(Send("Open Sword.wav Alias SWO"), 0u);
    ASSERT_EQ(Send("Open OPENING.mid Alias OPE01"), 0u);
    ASSERT_EQ(Send("Play SWO from 0 notify", false), 0u);
    headless::FinishPiece("Sword.wav");
    ASSERT_EQ(Send("Play SWO from 0 notify", false), 0u);
    ASSERT_EQ(Send("Play SWO from 0 notify", false), 0u);
    ASSERT_EQ(Send("Play OPE01 from 0 notify", false), 0u);
    ASSERT_EQ(Send("Stop OPE01", false), 0u);
    ASSERT_EQ(Send("Close SWO", false), 0u);
    EXPECT_TRUE(Notifications().empty());
}

TEST_F(Mci, AFinishReportedBeforeAStopOrRestartIsNotASuccess) {
    const LPARAM bat = OpenDevice("BATTLE03.mid", "BAT03");
    const LPARAM ope = OpenDevice("OPENING.mid", "OPE01");

    // The end is reported (as from the audio thread) but not yet fetched when the piece
    // is restarted: the old play counts as interrupted, the new one is still pending.
    ASSERT_EQ(Send("Play BAT03 from 0 notify"), 0u);
    headless::FinishPiece("BATTLE03.mid");
    ASSERT_EQ(Send("Play BAT03 from 0 notify"), 0u);
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_ABORTED, bat}}));
    EXPECT_TRUE(headless::IsPlaying("BATTLE03.mid"));

    headless::FinishPiece("BATTLE03.mid");
    ASSERT_EQ(Send("Stop BAT03"), 0u);
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_ABORTED, bat}}));

    ASSERT_EQ(Send("Play BAT03 from 0 notify"), 0u);
    headless::FinishPiece("BATTLE03.mid");
    ASSERT_EQ(Send("Play OPE01 from 0 notify"), 0u);
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_ABORTED, bat}}));

    headless::FinishPiece("OPENING.mid");
    EXPECT_EQ(Notifications(), (Notes{{MCI_NOTIFY_SUCCESSFUL, ope}}));
}
