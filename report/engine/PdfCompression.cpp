#include "PdfCompression.h"

#include <zlib.h>

namespace kodexa::report {
namespace {

thread_local bool fastest = false;

int levelFor(int level) {
    return fastest && level == Z_DEFAULT_COMPRESSION ? Z_BEST_SPEED : level;
}

// What zlib's deflateInit() passes on besides the level.
constexpr int DefaultMemoryLevel = 8;

} // namespace

FastestPdfCompression::FastestPdfCompression() : outer_(fastest) {
    fastest = true;
}

FastestPdfCompression::~FastestPdfCompression() {
    fastest = outer_;
}

} // namespace kodexa::report

// Qt's PDF writer compresses a stream in one piece with compress() and a page as it goes with
// deflateInit(); neither takes a level. A program that writes PDFs defines both here, and its own
// definitions come before the library's for every caller. They do what zlib's do, at the level
// levelFor() gives: the caller's own but while a FastestPdfCompression lives.
extern "C" {

int ZEXPORT compress(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen) {
    return compress2(dest, destLen, source, sourceLen, kodexa::report::levelFor(Z_DEFAULT_COMPRESSION));
}

int ZEXPORT deflateInit_(z_streamp stream, int level, const char* version, int streamSize) {
    return deflateInit2_(stream, kodexa::report::levelFor(level), Z_DEFLATED, MAX_WBITS,
                         kodexa::report::DefaultMemoryLevel, Z_DEFAULT_STRATEGY, version, streamSize);
}

} // extern "C"
