// The play scene, one frame per call.
#pragma once

void GameFrame();
