#include "platform/host/frame_png.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

// 8-bit palettized, as the frame is.
bool WriteFramePng(const std::uint8_t* pixels, int width, int height, const std::uint32_t* palette,
                   const std::string& path, bool onlyNew) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (onlyNew ? O_EXCL | O_NOFOLLOW : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0666);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (file == nullptr) {
        if (fd >= 0) ::close(fd);
        return false;
    }
    png_color colors[256];
    for (int i = 0; i < 256; ++i) {
        colors[i].red = static_cast<png_byte>(palette[i] >> 16);
        colors[i].green = static_cast<png_byte>(palette[i] >> 8);
        colors[i].blue = static_cast<png_byte>(palette[i]);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = 256;
    bool written = png_image_write_to_stdio(&image, file, 0, pixels, width, colors) != 0;
    png_image_free(&image);
    written = std::fclose(file) == 0 && written;
    // No half-written picture is left behind.
    if (!written) ::unlink(path.c_str());
    return written;
}
