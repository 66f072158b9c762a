// The demo recorder and player as a table wrapped round the backend: what the stand-in
// reads of the seam goes through the recorder, what it shows and plays goes on to the
// backend unless a replay holds it back.
#pragma once

#include "platform/seam/backend.h"

// The device's table with the recorder's and player's calls in its place.
backend::Backend DemoWrapping(const backend::Backend& device);
