#include "platform/demo/demo_backend.h"

#include "platform/demo/demo.h"

backend::Backend DemoWrapping(const backend::Backend& device) {
    backend::Backend wrapped = device;
    wrapped.display.present = [](const std::uint8_t* pixels, const std::uint32_t* palette) {
        if (DemoPresent()) backend::Present(pixels, palette);
    };
    wrapped.input = backend::Input{DemoPumpEvents, DemoKeyHeld};
    wrapped.clock.idle = DemoIdle;
    // A watched replay passing over the earlier part of the session starts no piece.
    wrapped.sound.play = [](int id) {
        if (!DemoPassingOver()) backend::Device().sound.play(id);
    };
    return wrapped;
}
