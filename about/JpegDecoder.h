#pragma once

#include <QImage>

#include <cstddef>
#include <span>

namespace kodexa {

// Decodes a JPEG picture (baseline or progressive; grey, YCbCr or RGB) with libjpeg into an RGB
// image. Throws std::runtime_error saying what is wrong when the bytes are not one complete, valid
// picture: corrupt data that libjpeg would only warn about and paint grey, a truncated file among
// it, counts as an error too. Pictures above 16 megapixels are refused before any allocation.
QImage decodeJpeg(std::span<const std::byte> data);

} // namespace kodexa
