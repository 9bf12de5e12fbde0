#include "JpegDecoder.h"
#include "DlgAbout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

using namespace kodexa;

namespace {

using Bytes = std::vector<std::byte>;

struct Rgb {
    int r, g, b;
};

// Encodes a picture whose top half is one colour and bottom half another.
Bytes encodeJpeg(int width, int height, Rgb top, Rgb bottom, bool grey = false, bool progressive = false) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> line(static_cast<std::size_t>(width) * info.input_components);
    while (info.next_scanline < info.image_height) {
        const Rgb colour = static_cast<int>(info.next_scanline) < height / 2 ? top : bottom;
        for (int x = 0; x < width; ++x) {
            if (grey) {
                line[x] = static_cast<unsigned char>(colour.r);
                continue;
            }
            line[3 * x] = static_cast<unsigned char>(colour.r);
            line[3 * x + 1] = static_cast<unsigned char>(colour.g);
            line[3 * x + 2] = static_cast<unsigned char>(colour.b);
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const auto* begin = reinterpret_cast<const std::byte*>(buffer);
    Bytes bytes(begin, begin + size);
    std::free(buffer);
    return bytes;
}

Bytes redOverBlue() {
    return encodeJpeg(32, 32, {220, 20, 20}, {20, 20, 220});
}

void expectColour(const QImage& image, int x, int y, Rgb expected) {
    const QColor actual = image.pixelColor(x, y);
    EXPECT_NEAR(actual.red(), expected.r, 8) << "at " << x << "," << y;
    EXPECT_NEAR(actual.green(), expected.g, 8) << "at " << x << "," << y;
    EXPECT_NEAR(actual.blue(), expected.b, 8) << "at " << x << "," << y;
}

// The offset of the first byte after a marker segment of the given kind (0xC0: start of frame).
std::size_t segmentStart(const Bytes& jpeg, unsigned char marker) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == std::byte{0xFF} && jpeg[i + 1] == std::byte{marker})
            return i + 2;
    }
    throw std::logic_error("marker not found");
}

std::string decodeFailure(const Bytes& jpeg) {
    try {
        decodeJpeg(jpeg);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "decoded";
}

} // namespace

TEST(JpegDecoder, KeepsColoursAndSize) {
    const QImage image = decodeJpeg(redOverBlue());
    ASSERT_EQ(image.size(), QSize(32, 32));
    expectColour(image, 4, 4, {220, 20, 20});
    expectColour(image, 27, 27, {20, 20, 220});
}

TEST(JpegDecoder, DecodesGreyAndProgressivePictures) {
    const QImage grey = decodeJpeg(encodeJpeg(16, 16, {40, 0, 0}, {200, 0, 0}, true));
    expectColour(grey, 8, 2, {40, 40, 40});
    expectColour(grey, 8, 13, {200, 200, 200});

    const QImage progressive = decodeJpeg(encodeJpeg(24, 16, {20, 200, 20}, {20, 200, 20}, false, true));
    ASSERT_EQ(progressive.size(), QSize(24, 16));
    expectColour(progressive, 12, 8, {20, 200, 20});
}

TEST(JpegDecoder, CarriedArtworkIsTheBoxSizeAndDarkBehindTheLabels) {
    const QByteArray artwork = carriedArtwork();
    const QImage image = decodeJpeg(std::as_bytes(std::span(artwork.constData(), artwork.size())));
    ASSERT_EQ(image.size(), QSize(798, 475));
    // The silver labels sit at left 40, tops 32 to 176; the picture behind them must stay dark.
    long long brightness = 0;
    int count = 0;
    for (int y = 32; y < 176; ++y) {
        for (int x = 40; x < 300; ++x) {
            brightness += qGray(image.pixel(x, y));
            ++count;
        }
    }
    EXPECT_LT(brightness / count, 48);
}

TEST(JpegDecoder, RefusesWhatIsNotAPicture) {
    EXPECT_THROW(decodeJpeg({}), std::runtime_error);
    const Bytes text{std::byte{'K'}, std::byte{'o'}, std::byte{'d'},
                     std::byte{'e'}, std::byte{'x'}, std::byte{'a'}};
    EXPECT_THROW(decodeJpeg(text), std::runtime_error);
    const Bytes soiOnly{std::byte{0xFF}, std::byte{0xD8}};
    EXPECT_THROW(decodeJpeg(soiOnly), std::runtime_error);
    EXPECT_EQ(decodeFailure(text).rfind("Bild fehlerhaft: ", 0), 0u) << decodeFailure(text);
}

TEST(JpegDecoder, RefusesTruncatedPictures) {
    // libjpeg itself would only warn and paint the missing part grey.
    const Bytes whole = redOverBlue();
    for (const std::size_t cut :
         {std::size_t{20}, segmentStart(whole, 0xDA), whole.size() / 2, whole.size() - 2}) {
        const Bytes truncated(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_THROW(decodeJpeg(truncated), std::runtime_error) << "cut at " << cut << " of " << whole.size();
    }
}

TEST(JpegDecoder, RefusesCorruptScanData) {
    Bytes corrupt = redOverBlue();
    const std::size_t scan = segmentStart(corrupt, 0xDA);
    const std::size_t middle = scan + (corrupt.size() - scan) / 2;
    corrupt[middle] = std::byte{0xFF};
    corrupt[middle + 1] = std::byte{0xD9}; // an end of picture in the middle of the data
    EXPECT_THROW(decodeJpeg(corrupt), std::runtime_error);
}

TEST(JpegDecoder, RefusesHugePicturesBeforeAllocating) {
    Bytes huge = redOverBlue();
    // Start of frame: length (2), precision (1), height (2), width (2).
    const std::size_t frame = segmentStart(huge, 0xC0);
    for (const std::size_t offset : {frame + 3, frame + 5}) {
        huge[offset] = std::byte{0x40}; // 16384
        huge[offset + 1] = std::byte{0x00};
    }
    const std::string failure = decodeFailure(huge);
    EXPECT_NE(failure.find("zu groß"), std::string::npos) << failure;
}
