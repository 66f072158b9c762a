// Process entry in the browser: the game's data lies at the root of the page's file
// system, the working folder, so the game starts at once; the page holds no options.
#include "app/main.h"

int main() {
    return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
}
