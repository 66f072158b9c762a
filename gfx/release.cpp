#include "gfx/surfaces.h"

namespace {

void ReleaseSurface(IDirectDrawSurface*& surface) {
    if (surface == nullptr) return;
    surface->Release();
    surface = nullptr;
}

}  // namespace

void ReleaseSurfaces() {
    ReleaseSurface(g_primary);
    g_back = nullptr;
    ReleaseSurface(g_offscreen2);
    ReleaseSurface(g_offscreen3);
    ReleaseSurface(g_offscreen4);
    ReleaseSurface(g_offscreen1);
}
