// The stage: actors, map, start stamp and key brush, and the scene that loads it.
#pragma once

void LoadStage();
