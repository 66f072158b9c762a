// Between the message queue and the MCI devices: the queue hands over, each time it is
// pumped, the pieces the backend reported as played to their end.
#pragma once

// Posts MM_MCINOTIFY with MCI_NOTIFY_SUCCESSFUL for every piece reported finished since
// the last call whose play is still current and asked for a notification.
void DeliverFinishedSounds();
