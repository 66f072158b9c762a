#include "game/scene_state.h"

int g_scene = SCENE_STAGE_INIT;
int g_keyLatch = 0;
