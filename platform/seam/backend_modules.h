// What each backend defines, declared inside the backend's own namespace (its internal
// header includes this there), and its table made of them, the way its loop runs and the
// host services it keeps files and packs bytes with. Meant to be included once in each
// backend namespace, so it has no include guard.

bool OpenWindow(const char* gameWindowName);
void CloseWindow();
void Present(const std::uint8_t* pixels, const std::uint32_t* palette);
void PumpEvents(const backend::EventSink& sink);
bool KeyHeld(int virtualKey);
std::uint64_t NowMs();
void Idle(std::uint32_t milliseconds);
int OpenSound(const std::string& path, bool music);
void PlaySound(int id);
void StopSound(int id);
void CloseSound(int id);
std::vector<int> TakeFinishedSounds();
void SendDemo(const std::string& path);

// A host that calls the loop's turns itself (not TurnsHere) pauses only between them.
inline backend::Backend Table(int (*runTurns)(bool (*turn)(int* exitCode)), const Storage& storage,
                              const Packing& packing) {
    return {
        {OpenWindow, CloseWindow, Present},
        {PumpEvents, KeyHeld},
        {NowMs, Idle, runTurns, runTurns != backend::TurnsHere},
        {OpenSound, PlaySound, StopSound, CloseSound, TakeFinishedSounds},
        {SendDemo},
        storage,
        packing,
    };
}
