#include "engine/platform/pixels/image.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/platform/pixels/bmp_decoder.h"
#include "engine/platform/pixels/png_decoder.h"

namespace qt::platform {

namespace {

bool readWholeFile(const std::string& path, std::vector<uint8_t>& data) {
    // Without blocking: a pipe or a device is no image, and must not hold
    // up the engine until something writes to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> f(::fdopen(fd, "rb"), &std::fclose);
    if (!f) {
        ::close(fd);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // The largest picture a surface can hold, with room for headers and a
    // palette; anything longer is not an image we can show.
    constexpr uint64_t kLongest = uint64_t{Surface::kMaxSide} * Surface::kMaxSide * 4 + (1u << 20);
    if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > kLongest) return false;
    data.clear();
    data.resize(static_cast<size_t>(st.st_size));
    return data.empty() || std::fread(data.data(), 1, data.size(), f.get()) == data.size();
}

// The file's bytes go to one buffer that is used again, and the picture into
// the memory `out` already has (see Surface::reshape).
bool load(const std::string& diskPath, Surface& out, bool pngToo, ColorRef transparentAs) {
    static thread_local std::vector<uint8_t> data;
    constexpr size_t kKeptBuffer = size_t{64} << 20;
    bool ok = readWholeFile(diskPath, data);
    if (ok && pngToo && isPng(data)) ok = decodePng(data, out, transparentAs);
    else if (ok) ok = decodeBmp(data, out);
    if (data.capacity() > kKeptBuffer) std::vector<uint8_t>().swap(data);
    if (!ok) out = Surface();
    return ok;
}

}  // namespace

bool loadBmp(const std::string& diskPath, Surface& out) { return load(diskPath, out, false, 0); }

bool loadImage(const std::string& diskPath, Surface& out, ColorRef transparentAs) {
    return load(diskPath, out, true, transparentAs);
}

bool savePng(const Surface& surface, const std::string& diskPath) {
    if (!surface.valid()) return false;
    // The fourth byte is not part of the picture.
    const size_t count = static_cast<size_t>(surface.width()) * static_cast<size_t>(surface.height());
    std::vector<uint8_t> bgr(count * 3);
    for (size_t i = 0; i < count; ++i) std::memcpy(&bgr[i * 3], surface.bits() + i * 4, 3);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(surface.width());
    image.height = static_cast<png_uint_32>(surface.height());
    image.format = PNG_FORMAT_BGR;
    const bool ok = png_image_write_to_file(&image, diskPath.c_str(), 0, bgr.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace qt::platform
