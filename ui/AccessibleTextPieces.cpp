#include "AccessibleTextPieces.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace kodexa {
namespace {

// The offsets between the pieces of a text, from 0 to its length.
std::vector<int> boundariesOf(const QString& text, QAccessible::TextBoundaryType boundary) {
    std::vector<int> offsets{0};
    const auto length = static_cast<int>(text.size());
    const auto addFinder = [&](QTextBoundaryFinder::BoundaryType type) {
        QTextBoundaryFinder finder(type, text);
        for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary())
            offsets.push_back(static_cast<int>(next));
    };
    switch (boundary) {
    case QAccessible::CharBoundary:
        addFinder(QTextBoundaryFinder::Grapheme);
        break;
    case QAccessible::WordBoundary:
        addFinder(QTextBoundaryFinder::Word);
        break;
    case QAccessible::SentenceBoundary:
        addFinder(QTextBoundaryFinder::Sentence);
        break;
    case QAccessible::ParagraphBoundary:
    case QAccessible::LineBoundary:
        for (int i = 0; i < length; ++i)
            if (text[i] == u'\n')
                offsets.push_back(i + 1);
        break;
    case QAccessible::NoBoundary:
        break;
    }
    offsets.push_back(length);
    // The finder's offsets rise; a line break at the end gives the length twice.
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    if (length == 0)
        offsets.resize(1);
    return offsets;
}

TextPiece pieceBetween(const QString& text, const std::vector<int>& offsets, int piece) {
    const int start = offsets[static_cast<std::size_t>(piece)];
    const int end = offsets[static_cast<std::size_t>(piece) + 1];
    return {text.mid(start, end - start), start, end};
}

TextPiece pieceIn(const QString& text, const std::vector<int>& offsets, int offset,
                  QAccessible::TextBoundaryType boundary, PieceAt which) {
    const auto length = static_cast<int>(text.size());
    if (offset == -1)
        offset = length;
    if (offset < 0 || offset > length)
        return {QString(), -1, -1};
    const int pieces = static_cast<int>(offsets.size()) - 1;
    // The piece that holds the offset; at the end of the text, the last one, but for characters.
    int at = static_cast<int>(std::upper_bound(offsets.begin(), offsets.end(), offset) - offsets.begin()) - 1;
    if (offset == length && boundary != QAccessible::CharBoundary)
        at = pieces - 1;
    int wanted = at;
    if (which == PieceAt::Before)
        wanted = at - 1;
    else if (which == PieceAt::After)
        wanted = at + 1;
    if (wanted < 0 || wanted >= pieces)
        return {QString(), offset, offset};
    return pieceBetween(text, offsets, wanted);
}

} // namespace

TextPiece textPiece(const QString& text, int offset, QAccessible::TextBoundaryType boundary, PieceAt which) {
    return pieceIn(text, boundariesOf(text, boundary), offset, boundary, which);
}

QString TextInterfaceWithPieces::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary,
                                                  int* startOffset, int* endOffset) const {
    return pieceOf(offset, boundary, PieceAt::Before, startOffset, endOffset);
}

QString TextInterfaceWithPieces::textAtOffset(int offset, QAccessible::TextBoundaryType boundary,
                                              int* startOffset, int* endOffset) const {
    return pieceOf(offset, boundary, PieceAt::At, startOffset, endOffset);
}

QString TextInterfaceWithPieces::textAfterOffset(int offset, QAccessible::TextBoundaryType boundary,
                                                 int* startOffset, int* endOffset) const {
    return pieceOf(offset, boundary, PieceAt::After, startOffset, endOffset);
}

QString TextInterfaceWithPieces::pieceOf(int offset, QAccessible::TextBoundaryType boundary, PieceAt which,
                                         int* startOffset, int* endOffset) const {
    if (offset == -2)
        offset = cursorPosition();
    const QString whole = text(0, characterCount());
    if (whole != lastText_ || boundary != lastBoundary_ || lastOffsets_.empty()) {
        lastText_ = whole;
        lastBoundary_ = boundary;
        lastOffsets_ = boundariesOf(whole, boundary);
    }
    const TextPiece piece = pieceIn(whole, lastOffsets_, offset, boundary, which);
    if (startOffset != nullptr)
        *startOffset = piece.start;
    if (endOffset != nullptr)
        *endOffset = piece.end;
    return piece.text;
}

} // namespace kodexa
