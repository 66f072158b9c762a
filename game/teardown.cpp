#include "game/teardown.h"

#include "game/stage.h"
#include "gfx/surfaces.h"
#include "platform/gdi.h"
#include "platform/mmsystem.h"

void TearDown() {
    if (TornDown()) return;
    CloseAllSoundDevices();
    g_dd->RestoreDisplayMode();
    ReleaseSurfaces();
    if (g_keyBrush != nullptr) DeleteObject(g_keyBrush);
    g_keyBrush = nullptr;
    g_dd->Release();
    g_dd = nullptr;
    PostQuitMessage(0);
}

bool TornDown() {
    return g_dd == nullptr;
}
