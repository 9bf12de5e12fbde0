#include "LeanPdfWriting.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <zlib.h>

#include <dlfcn.h>

namespace kodexa::report {
namespace {

thread_local bool lean = false;

int levelFor(int level) {
    return lean && level == Z_DEFAULT_COMPRESSION ? Z_BEST_SPEED : level;
}

// What zlib's deflateInit() passes on besides the level.
constexpr int DefaultMemoryLevel = 8;

using LoadGlyph = FT_Error (*)(FT_Face, FT_UInt, FT_Int32);

// FreeType's own FT_Load_Glyph, which the definition below hides from every other caller.
LoadGlyph freetypeLoadGlyph() {
    static const auto load = reinterpret_cast<LoadGlyph>(::dlsym(RTLD_NEXT, "FT_Load_Glyph"));
    return load;
}

} // namespace

LeanPdfWriting::LeanPdfWriting() : outer_(lean) {
    lean = true;
}

LeanPdfWriting::~LeanPdfWriting() {
    lean = outer_;
}

} // namespace kodexa::report

// Qt's PDF writer deflates a stream in one piece with compress() and a page as it goes with
// deflateInit(), neither with a level, and takes each embedded glyph's outline from FT_Load_Glyph()
// with hinting. A program that writes PDFs defines these three here, and its definitions come
// before the libraries' for every caller. They do what the libraries' do, with the level and the
// flags changed only while a LeanPdfWriting lives on the calling thread.
extern "C" {

int ZEXPORT compress(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen) {
    return compress2(dest, destLen, source, sourceLen, kodexa::report::levelFor(Z_DEFAULT_COMPRESSION));
}

int ZEXPORT deflateInit_(z_streamp stream, int level, const char* version, int streamSize) {
    return deflateInit2_(stream, kodexa::report::levelFor(level), Z_DEFLATED, MAX_WBITS,
                         kodexa::report::DefaultMemoryLevel, Z_DEFAULT_STRATEGY, version, streamSize);
}

FT_Error FT_Load_Glyph(FT_Face face, FT_UInt glyphIndex, FT_Int32 loadFlags) {
    const kodexa::report::LoadGlyph load = kodexa::report::freetypeLoadGlyph();
    if (load == nullptr)
        return FT_Err_Unimplemented_Feature;
    return load(face, glyphIndex, kodexa::report::lean ? loadFlags | FT_LOAD_NO_HINTING : loadFlags);
}

} // extern "C"
