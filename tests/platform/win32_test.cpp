// The window, its queue, keys and clock serve every turn of the whole game's run; the text
// formatting must also stay within the caller's buffer, and a window is made only of a
// class registered with its procedure.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32.h"

TEST(Wsprintf, FormatsAndCutsToTheBufferAndAt1024Characters) {
    std::vector<char> text(2048, 'x');
    EXPECT_EQ(wsprintfA(text.data(), text.size(), "%d fps", 50), 6);
    EXPECT_STREQ(text.data(), "50 fps");
    EXPECT_EQ(wsprintfA(text.data(), text.size(), "%s", std::string(1500, 'a').c_str()), 1023);
    EXPECT_EQ(std::strlen(text.data()), 1023u);
    EXPECT_EQ(text[1024], 'x');
    EXPECT_EQ(wsprintfA(text.data(), 8, "%d fps", 123456), 7);
    EXPECT_STREQ(text.data(), "123456 ");
    EXPECT_EQ(text[8], 'a');
}

TEST(CreateWindow, NeedsARegisteredClassWithAWindowProcedure) {
    WNDCLASSA noProcedure{};
    noProcedure.lpszClassName = "No Procedure";
    RegisterClassA(&noProcedure);
    for (const char* name : {"Never Registered", "No Procedure"}) {
        EXPECT_EQ(CreateWindowExA(0, name, "Direct X", 0, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr), nullptr)
            << name;
    }
}
