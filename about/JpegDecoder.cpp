#include "JpegDecoder.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include <jpeglib.h>

namespace kodexa {
namespace {

constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;

// libjpeg reports errors through a callback that must not return. Ours longjmps back to the
// decoding step that called libjpeg; those steps keep only trivially destructible objects in their
// frames, so the jump skips no destructor, and decodeJpeg turns the failure into an exception
// (which must not be thrown through libjpeg's C frames).
struct ErrorHandler {
    jpeg_error_mgr manager; // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct Decompressor {
    jpeg_decompress_struct info;
    ErrorHandler errors;
};

[[noreturn]] void failDecoding(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorHandler*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Level -1 is a warning about corrupt data that libjpeg would skip, painting grey where the data
// is missing; we refuse such a picture. Other levels are trace messages.
void onMessage(j_common_ptr info, int level) {
    if (level < 0)
        failDecoding(info);
}

void ignoreOutput(j_common_ptr) {}

bool readHeader(Decompressor& d, const unsigned char* bytes, unsigned long size) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, bytes, size);
    jpeg_read_header(&d.info, TRUE);
    d.info.out_color_space = JCS_RGB;
    return true;
}

// Writes the picture into `pixels`, which holds the header's width and height in RGB.
bool readPixels(Decompressor& d, unsigned char* pixels, std::size_t bytesPerLine) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_start_decompress(&d.info);
    if (d.info.output_width != d.info.image_width || d.info.output_height != d.info.image_height ||
        d.info.output_components != 3) {
        std::snprintf(d.errors.message, sizeof d.errors.message, "unerwartetes Ausgabeformat");
        return false;
    }
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW line = pixels + d.info.output_scanline * bytesPerLine;
        jpeg_read_scanlines(&d.info, &line, 1);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

[[noreturn]] void refuse(const std::string& why) {
    throw std::runtime_error("Bild fehlerhaft: " + why);
}

class DecompressorGuard {
public:
    explicit DecompressorGuard(Decompressor& d) : d_(d) {}
    ~DecompressorGuard() { jpeg_destroy_decompress(&d_.info); }
    DecompressorGuard(const DecompressorGuard&) = delete;
    DecompressorGuard& operator=(const DecompressorGuard&) = delete;

private:
    Decompressor& d_;
};

} // namespace

QImage decodeJpeg(std::span<const std::byte> data) {
    Decompressor d{};
    d.info.err = jpeg_std_error(&d.errors.manager);
    d.errors.manager.error_exit = failDecoding;
    d.errors.manager.emit_message = onMessage;
    d.errors.manager.output_message = ignoreOutput;
    const DecompressorGuard guard(d);

    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    if (!readHeader(d, bytes, static_cast<unsigned long>(data.size())))
        refuse(d.errors.message);

    const std::uint64_t pixels = std::uint64_t{d.info.image_width} * d.info.image_height;
    if (pixels > kMaxPixels)
        refuse("zu groß (" + std::to_string(d.info.image_width) + " × " +
               std::to_string(d.info.image_height) + " Pixel)");
    QImage image(static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height),
                 QImage::Format_RGB888);
    if (image.isNull())
        refuse("kein Speicher für " + std::to_string(pixels) + " Pixel");

    if (!readPixels(d, image.bits(), static_cast<std::size_t>(image.bytesPerLine())))
        refuse(d.errors.message);
    return image;
}

} // namespace kodexa
