#pragma once

namespace kodexa::report {

// While one lives on a thread, Qt's PDF writer works there with less: what it deflates at zlib's
// default level is deflated at the fastest one, and the glyph outlines it embeds are loaded without
// hinting. Pages of text shrink nearly as well at either level, and hinting changes nothing in an
// outline taken at the font's full design size; together they took half of the time a PDF with
// many fonts costs. Qt's writer offers a setting for neither.
class LeanPdfWriting {
public:
    LeanPdfWriting();
    ~LeanPdfWriting();
    LeanPdfWriting(const LeanPdfWriting&) = delete;
    LeanPdfWriting& operator=(const LeanPdfWriting&) = delete;

private:
    bool outer_;
};

} // namespace kodexa::report
