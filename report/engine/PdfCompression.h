#pragma once

namespace kodexa::report {

// While one lives on a thread, what the PDF writer compresses there at zlib's default level is
// compressed at its fastest instead. Pages of text shrink nearly as well at either level, and the
// default one took a third of the time a large PDF costs; Qt's writer offers no setting for it.
class FastestPdfCompression {
public:
    FastestPdfCompression();
    ~FastestPdfCompression();
    FastestPdfCompression(const FastestPdfCompression&) = delete;
    FastestPdfCompression& operator=(const FastestPdfCompression&) = delete;

private:
    bool outer_;
};

} // namespace kodexa::report
