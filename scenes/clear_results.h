// The stage-clear circle and the results with the score count-up.
#pragma once

void ClearInit();
void ClearFrame();
void ResultInit();
void ResultFrame();
