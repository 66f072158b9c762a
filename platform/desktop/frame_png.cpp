#include "platform/desktop/frame_png.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Writes the image's rows to the path; no half-written picture is left behind.
bool WriteImage(png_image* image, const void* pixels, int rowStride, const void* colormap, const std::string& path,
                bool onlyNew) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (onlyNew ? O_EXCL | O_NOFOLLOW : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0666);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (file == nullptr) {
        if (fd >= 0) ::close(fd);
        return false;
    }
    bool written = png_image_write_to_stdio(image, file, 0, pixels, rowStride, colormap) != 0;
    png_image_free(image);
    written = std::fclose(file) == 0 && written;
    if (!written) ::unlink(path.c_str());
    return written;
}

png_image Image(int width, int height, png_uint_32 format) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    return image;
}

}  // namespace

// 8-bit palettized, as the frame is.
bool WriteFramePng(const std::uint8_t* pixels, int width, int height, const std::uint32_t* palette,
                   const std::string& path, bool onlyNew) {
    png_color colors[256];
    for (int i = 0; i < 256; ++i) {
        colors[i].red = static_cast<png_byte>(palette[i] >> 16);
        colors[i].green = static_cast<png_byte>(palette[i] >> 8);
        colors[i].blue = static_cast<png_byte>(palette[i]);
    }
    png_image image = Image(width, height, PNG_FORMAT_RGB_COLORMAP);
    image.colormap_entries = 256;
    return WriteImage(&image, pixels, width, colors, path, onlyNew);
}

bool WriteXrgbPng(const std::uint32_t* pixels, int width, int height, const std::string& path) {
    std::vector<png_byte> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < rgb.size() / 3; ++i) {
        rgb[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(pixels[i]);
    }
    png_image image = Image(width, height, PNG_FORMAT_RGB);
    return WriteImage(&image, rgb.data(), width * 3, nullptr, path, false);
}
