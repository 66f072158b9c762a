// The one teardown, shared by Escape (and closing the window) and the quit scene.
#pragma once

// Closes the sound devices still open, restores the display, releases every surface, the
// key brush and the display object, and ends the loop. Handles are cleared as they go and a teardown after the first does
// nothing, so an Escape that arrives before the loop fetches the quit message releases
// nothing twice.
void TearDown();
// True once TearDown has run (or before the display was made).
bool TornDown();
