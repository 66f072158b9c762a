// The opening picture behind blinds, and the title menu.
#pragma once

// Opening frames drawn so far; never set back, so the opening plays once a run.
extern int g_openingFrames;
// The selected title item, 0..2; kept between visits of the title.
extern int g_titleSel;

void OpeningInit();
void OpeningFrame();
void TitleInit();
void TitleFrame();
