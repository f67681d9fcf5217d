#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "support/document_dump.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

using namespace orbeta::rtf;

namespace {

// Builds documents from everything the reader keeps, at random but from a seed.
class DocumentMaker {
public:
    explicit DocumentMaker(quint32 seed) : random_(seed) {}

    void fill(QTextDocument& document) {
        QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
        font.setPointSize(12);
        document.setDefaultFont(font);
        QTextCursor cursor(&document);
        const int parts = pick(1, 12);
        bool first = true;
        QTextListFormat::Style lastListStyle = QTextListFormat::ListStyleUndefined;
        for (int part = 0; part < parts; ++part) {
            const int kind = pick(0, 9);
            if (kind == 0) {
                table(cursor);
                first = false;
                lastListStyle = QTextListFormat::ListStyleUndefined;
                continue;
            }
            if (!first)
                cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            first = false;
            if (kind <= 2) {
                // Lists of one kind in a row would read back as one list, so kinds alternate.
                QTextListFormat list;
                do
                    list.setStyle(kListStyles[pick(0, 5)]);
                while (list.style() == lastListStyle);
                lastListStyle = list.style();
                list.setIndent(pick(1, 3));
                cursor.createList(list);
                paragraph(cursor, false);
                for (int item = pick(0, 3); item > 0; --item) {
                    cursor.insertBlock();
                    paragraph(cursor, false);
                }
                cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
                cursor.setBlockFormat(QTextBlockFormat());
            } else {
                lastListStyle = QTextListFormat::ListStyleUndefined;
            }
            cursor.setBlockFormat(blockFormat());
            paragraph(cursor, true);
        }
    }

private:
    static constexpr QTextListFormat::Style kListStyles[] = {
        QTextListFormat::ListDisc,       QTextListFormat::ListDecimal,
        QTextListFormat::ListLowerAlpha, QTextListFormat::ListUpperAlpha,
        QTextListFormat::ListLowerRoman, QTextListFormat::ListUpperRoman};

    int pick(int low, int high) { return static_cast<int>(random_.bounded(low, high + 1)); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    QString text() {
        static const QStringList pieces{QStringLiteral("memo "),
                                        QStringLiteral("会議"),
                                        QStringLiteral("の予定"),
                                        QStringLiteral("ｶﾀｶﾅ"),
                                        QStringLiteral("①Ⅱ～"),
                                        QStringLiteral("表ソ能"),
                                        QStringLiteral("\\{}"),
                                        QStringLiteral("café"),
                                        QStringLiteral("😀"),
                                        QStringLiteral("\t"),
                                        QStringLiteral("\u2028"),
                                        QStringLiteral("€¥"),
                                        QStringLiteral("\u00a0\u00ad\u2011"),
                                        QStringLiteral(" 12:30 "),
                                        QStringLiteral("한국어"),
                                        QStringLiteral("Привет"),
                                        QStringLiteral("—“”")};
        QString out;
        for (int n = pick(1, 6); n > 0; --n)
            out += pieces.at(pick(0, static_cast<int>(pieces.size()) - 1));
        return out;
    }

    QTextCharFormat charFormat() {
        QTextCharFormat format;
        if (chance(30))
            format.setFontWeight(QFont::Bold);
        if (chance(30))
            format.setFontItalic(true);
        if (chance(20)) {
            static const QTextCharFormat::UnderlineStyle styles[] = {
                QTextCharFormat::SingleUnderline, QTextCharFormat::DashUnderline,
                QTextCharFormat::DotLine,         QTextCharFormat::DashDotLine,
                QTextCharFormat::DashDotDotLine,  QTextCharFormat::WaveUnderline};
            format.setUnderlineStyle(styles[pick(0, 5)]);
        }
        if (chance(10))
            format.setFontStrikeOut(true);
        if (chance(5))
            format.setFontCapitalization(chance(50) ? QFont::AllUppercase : QFont::SmallCaps);
        if (chance(10))
            format.setVerticalAlignment(chance(50) ? QTextCharFormat::AlignSuperScript
                                                   : QTextCharFormat::AlignSubScript);
        if (chance(30)) {
            static const QStringList families{QStringLiteral("ＭＳ ゴシック"),
                                              QStringLiteral("Arial"), QStringLiteral("ＭＳ 明朝"),
                                              QStringLiteral("Times New Roman")};
            format.setFontFamilies({families.at(pick(0, 3))});
        }
        if (chance(30))
            format.setFontPointSize(pick(12, 72) / 2.0);
        if (chance(20))
            format.setForeground(QColor(pick(0, 255), pick(0, 255), pick(0, 255)));
        if (chance(10))
            format.setBackground(QColor(pick(0, 255), pick(0, 255), pick(0, 255)));
        if (chance(8)) {
            format.setAnchor(true);
            format.setAnchorHref(chance(80)
                                     ? QStringLiteral("https://example.org/p?q=%1").arg(pick(1, 99))
                                     : QStringLiteral("#mark"));
        }
        return format;
    }

    QTextBlockFormat blockFormat() {
        QTextBlockFormat format;
        if (chance(30)) {
            static const Qt::Alignment alignments[] = {Qt::AlignHCenter, Qt::AlignRight,
                                                       Qt::AlignJustify};
            format.setAlignment(alignments[pick(0, 2)]);
        }
        if (chance(20))
            format.setLeftMargin(pick(1, 100));
        if (chance(15))
            format.setRightMargin(pick(1, 100));
        if (chance(15))
            format.setTextIndent(pick(-20, 40));
        if (chance(15))
            format.setTopMargin(pick(1, 30));
        if (chance(15))
            format.setBottomMargin(pick(1, 30));
        if (chance(15)) {
            switch (pick(0, 2)) {
            case 0:
                format.setLineHeight(pick(5, 30) * 10, QTextBlockFormat::ProportionalHeight);
                break;
            case 1:
                format.setLineHeight(pick(10, 40), QTextBlockFormat::MinimumHeight);
                break;
            default:
                format.setLineHeight(pick(10, 40), QTextBlockFormat::FixedHeight);
                break;
            }
        }
        return format;
    }

    void paragraph(QTextCursor& cursor, bool pictures) {
        for (int runs = pick(0, 6); runs > 0; --runs) {
            if (pictures && chance(5))
                picture(cursor);
            else
                cursor.insertText(text(), charFormat());
        }
    }

    void picture(QTextCursor& cursor) {
        QImage image(pick(1, 6), pick(1, 6), QImage::Format_RGB32);
        image.fill(QColor(pick(0, 255), pick(0, 255), pick(0, 255)));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const QString name = QStringLiteral("picture-%1").arg(++pictures_);
        cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), png);
        QTextImageFormat format;
        format.setName(name);
        if (chance(50)) {
            format.setWidth(pick(1, 200));
            format.setHeight(pick(1, 200));
        }
        cursor.insertImage(format);
    }

    void table(QTextCursor& cursor) {
        QTextTable* table = cursor.insertTable(pick(1, 3), pick(1, 4));
        for (int row = 0; row < table->rows(); ++row) {
            for (int column = 0; column < table->columns(); ++column) {
                if (chance(20))
                    continue;
                QTextCursor cell = table->cellAt(row, column).firstCursorPosition();
                cell.setBlockFormat(blockFormat());
                paragraph(cell, false);
                if (chance(20)) {
                    cell.insertBlock(QTextBlockFormat(), QTextCharFormat());
                    paragraph(cell, false);
                }
            }
        }
        cursor = table->lastCursorPosition();
        cursor.movePosition(QTextCursor::NextBlock);
    }

    QRandomGenerator random_;
    int pictures_ = 0;
};

QString firstDifference(const QString& actual, const QString& expected) {
    const QStringList a = actual.split(QLatin1Char('\n'));
    const QStringList e = expected.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i)
        if (a.value(i) != e.value(i))
            return QStringLiteral("line %1\n   got: %2\n  want: %3")
                .arg(i + 1)
                .arg(a.value(i), e.value(i));
    return {};
}

} // namespace

class TestRtfRoundTrip : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Given documents made of everything the reader keeps, what the writer writes reads back
    // with the same text and formats, run by run and paragraph by paragraph.
    void randomDocumentsReadBackAsWritten() {
        for (quint32 seed = 1; seed <= kSeeds; ++seed) {
            QTextDocument original;
            DocumentMaker(seed).fill(original);
            const QByteArray rtf = writeRtf(original);
            QTextDocument read;
            const ReadResult result = readRtf(rtf, read);
            QVERIFY2(result.status == ReadStatus::Ok,
                     qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(result.problem)));
            const QString want = dumpDocument(original);
            const QString got = dumpDocument(read);
            QVERIFY2(got == want, qPrintable(QStringLiteral("seed %1, %2\n%3")
                                                 .arg(seed)
                                                 .arg(firstDifference(got, want),
                                                      QString::fromUtf8(rtf.left(3000)))));
            const QByteArray again = writeRtf(read);
            QVERIFY2(again == rtf, qPrintable(QStringLiteral("seed %1, written again:\n%2")
                                                  .arg(seed)
                                                  .arg(firstDifference(QString::fromUtf8(again),
                                                                       QString::fromUtf8(rtf)))));
        }
    }

private:
    // The same documents on every machine and in every build, however slow.
    static constexpr quint32 kSeeds = 2000;
};

QTEST_MAIN(TestRtfRoundTrip)
#include "tst_rtf_roundtrip.moc"
