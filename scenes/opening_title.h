// The opening picture behind blinds, and the title menu.
#pragma once

void OpeningInit();
void OpeningFrame();
void TitleInit();
void TitleFrame();
