// The pieces of a text a screen reader asks for, at the places where the toolkit's own answers
// hang or fall short: the end of the text, the ends of lines, an empty text, offsets outside it.
// (Every offset of every input is asked in the window tests, through wrongTextAnswer().)
#include "AccessibleTextPieces.h"

#include <QTest>

using namespace kodexa;

class TextPiecesTest : public QObject {
    Q_OBJECT

private slots:
    void piecesAtTheEdges();
};

void TextPiecesTest::piecesAtTheEdges() {
    struct Case {
        const char* what;
        const char* text;
        int offset;
        QAccessible::TextBoundaryType boundary;
        PieceAt which;
        const char* piece;
        int start;
        int end;
    };
    using enum QAccessible::TextBoundaryType;
    const Case cases[] = {
        {"word at the end", "abc def", 7, WordBoundary, PieceAt::At, "def", 4, 7},
        {"word before the end", "abc def", 7, WordBoundary, PieceAt::Before, " ", 3, 4},
        {"word after the end", "abc def", 7, WordBoundary, PieceAt::After, "", 7, 7},
        {"word at -1", "abc def", -1, WordBoundary, PieceAt::At, "def", 4, 7},
        {"blanks between words", "abc def", 3, WordBoundary, PieceAt::At, " ", 3, 4},
        {"no character at the end", "abc", 3, CharBoundary, PieceAt::At, "", 3, 3},
        {"last character before the end", "abc", 3, CharBoundary, PieceAt::Before, "c", 2, 3},
        {"umlaut", "Größe", 2, CharBoundary, PieceAt::At, "ö", 2, 3},
        {"line at the end, whole", "03", 2, LineBoundary, PieceAt::At, "03", 0, 2},
        {"line with its break", "a\nb", 1, LineBoundary, PieceAt::At, "a\n", 0, 2},
        {"next line", "a\nb", 1, LineBoundary, PieceAt::After, "b", 2, 3},
        {"line before", "a\nb", 3, LineBoundary, PieceAt::Before, "a\n", 0, 2},
        {"trailing blanks in the line", "zzzz   ", 7, LineBoundary, PieceAt::At, "zzzz   ", 0, 7},
        {"empty text", "", 0, WordBoundary, PieceAt::At, "", 0, 0},
        {"past the end", "abc", 4, WordBoundary, PieceAt::At, "", -1, -1},
        {"before the start", "abc", -3, LineBoundary, PieceAt::At, "", -1, -1},
        {"whole text", "ab. cd.", 5, NoBoundary, PieceAt::At, "ab. cd.", 0, 7},
        {"second sentence", "Ab. Cd.", 5, SentenceBoundary, PieceAt::At, "Cd.", 4, 7},
    };
    for (const Case& c : cases) {
        const TextPiece piece = textPiece(QString::fromUtf8(c.text), c.offset, c.boundary, c.which);
        QVERIFY2(piece.text == QString::fromUtf8(c.piece) && piece.start == c.start && piece.end == c.end,
                 qPrintable(QStringLiteral("%1: \"%2\" %3..%4")
                                .arg(QString::fromLatin1(c.what), piece.text)
                                .arg(piece.start)
                                .arg(piece.end)));
    }
}

QTEST_MAIN(TextPiecesTest)
#include "TextPiecesTest.moc"
