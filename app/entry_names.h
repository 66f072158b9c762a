// Whose each ranking entry is: the name and date its kept demo carries, for the overlay
// beside the ranking's numbers.
#pragma once

#include "platform/overlay/overlay.h"

// Called at each present. On the ranking screen fills the five entries' signatures, read
// from their demos once a visit (and again if the ranking changes meanwhile); an entry
// without a demo of the run that scored it keeps an empty one.
void FillEntryNames(bool onRanking, overlay::Signature* entries);
