#pragma once

#include <QAccessibleTextInterface>
#include <QString>

#include <vector>

namespace kodexa {

// A piece of a text as a screen reader asks for it: a character, a word (or the blanks between
// two words), a sentence or a line, with its offsets; empty, at the asked offset, where there is none.
struct TextPiece {
    QString text;
    int start = 0;
    int end = 0;
};

enum class PieceAt { At, Before, After };

// Answers every question a screen reader asks of a text by offset, for every offset from 0 to the
// end, at once: the toolkit's own answer never returns for a word at the end of a text, and
// answers a line at the end of the text one character short. A line ends after its line break;
// at the end of the text the last word, sentence or line is the one there, but no character is.
// An offset outside the text has no piece (offsets -1); -1 stands for the end of the text.
TextPiece textPiece(const QString& text, int offset, QAccessible::TextBoundaryType boundary, PieceAt which);

// A text interface whose pieces come from textPiece(), over the interface's own text(); the
// boundaries of the last text asked about are kept, as a reader asks piece after piece of one text.
class TextInterfaceWithPieces : public QAccessibleTextInterface {
public:
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                             int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                         int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                            int* endOffset) const override;

private:
    QString pieceOf(int offset, QAccessible::TextBoundaryType boundary, PieceAt which, int* startOffset,
                    int* endOffset) const;

    mutable QString lastText_;
    mutable QAccessible::TextBoundaryType lastBoundary_ = QAccessible::NoBoundary;
    mutable std::vector<int> lastOffsets_;
};

} // namespace kodexa
