#include "search/text_folding.h"

#include <QRandomGenerator>
#include <QTest>

using namespace orbeta;

class TestSearchFolding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matching_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::newRow("full-width Latin") << u"ＡＢＣ"_qs << u"xabcx"_qs << true;
        QTest::newRow("case") << u"Tokyo"_qs << u"TOKYO駅"_qs << true;
        QTest::newRow("full-width digits") << u"12:30"_qs << u"１２：３０から"_qs << true;
        QTest::newRow("half-width katakana") << u"ｶﾀｶﾅ"_qs << u"カタカナ"_qs << true;
        QTest::newRow("katakana as hiragana") << u"ｶﾀｶﾅ"_qs << u"かたかな"_qs << true;
        QTest::newRow("hiragana finds katakana") << u"こーひー"_qs << u"コーヒー"_qs << true;
        QTest::newRow("half-width voiced") << u"ﾊﾟﾝ"_qs << u"パン屋"_qs << true;
        QTest::newRow("combining voiced mark") << u"が"_qs << u"か\u3099"_qs << true;
        QTest::newRow("voiced is not plain") << u"が"_qs << u"か"_qs << false;
        QTest::newRow("parenthesised ideograph") << u"㈱"_qs << u"(株)山田"_qs << true;
        QTest::newRow("square unit") << u"キロ"_qs << u"㌔"_qs << true;
        QTest::newRow("one kanji") << u"雨"_qs << u"今日は雨。"_qs << true;
        QTest::newRow("two kana") << u"あめ"_qs << u"アメ横"_qs << true;
        QTest::newRow("kanji is not its reading") << u"かいぎ"_qs << u"会議"_qs << false;
        QTest::newRow("every term") << u"会議 東京"_qs << u"東京で会議"_qs << true;
        QTest::newRow("ideographic space") << u"会議\u3000東京"_qs << u"東京で会議"_qs << true;
        QTest::newRow("one term missing") << u"会議 大阪"_qs << u"東京で会議"_qs << false;
        QTest::newRow("terms in other lines") << u"朝 夜"_qs << u"朝\n昼\n夜"_qs << true;
        QTest::newRow("blank query") << u"\u3000 "_qs << u"何でも"_qs << true;
        QTest::newRow("beyond the basic plane") << u"𠮷"_qs << u"𠮷野家"_qs << true;
    }
    void matching() {
        QFETCH(QString, query);
        QFETCH(QString, text);
        QFETCH(bool, found);
        QCOMPARE(matchFolded(folded(text), searchTerms(query)).matches, found);
    }

    // Whatever the text, the folded form gives it back, and every span of it maps to whole
    // characters of the original that fold to what the span holds.
    void foldedTextGivesBackTheOriginal() {
        const QString pieces[] = {u"あ"_qs,      u"カ"_qs, u"ｶ"_qs, u"ﾞ"_qs,  u"\u3099"_qs,
                                  u"Ａ"_qs,      u"a"_qs,  u"B"_qs, u"㈱"_qs, u"𠮷"_qs,
                                  u"\n"_qs,      u"ー"_qs, u"ß"_qs, u"İ"_qs,  u"é"_qs,
                                  u"e\u0301"_qs, u"㌔"_qs};
        QRandomGenerator random(7);
        for (int round = 0; round < 2000; ++round) {
            QString text;
            for (int i = random.bounded(12); i > 0; --i)
                text += pieces[random.bounded(static_cast<int>(std::size(pieces)))];
            const FoldedText foldedText(text);
            QCOMPARE(foldedText.original(), text);
            QCOMPARE(foldedText.folded(), folded(text));
            const QString& f = foldedText.folded();
            for (qsizetype at = 0; at < f.size(); ++at) {
                const Span span = foldedText.originalSpan({at, 1});
                QVERIFY2(span.length > 0 && span.position + span.length <= text.size(),
                         qPrintable(text));
                QVERIFY2(
                    folded(QStringView(text).sliced(span.position, span.length)).contains(f[at]),
                    qPrintable(text));
            }
        }
    }

    // The hit, in the text as it is, covers what the query matched, whole characters included.
    void firstHitInTheOriginalText_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("length");
        QTest::newRow("earliest of the terms") << u"夜 朝"_qs << u"朝と夜"_qs << 0 << 1;
        QTest::newRow("after a character that grew") << u"山田"_qs << u"㈱山田"_qs << 1 << 2;
        QTest::newRow("inside a character that grew") << u"株"_qs << u"㈱山田"_qs << 0 << 1;
        QTest::newRow("two characters that became one") << u"パン"_qs << u"ﾊﾟﾝ"_qs << 0 << 3;
        QTest::newRow("inside a katakana word") << u"たか"_qs << u"カタカナ"_qs << 1 << 2;
        QTest::newRow("surrogate pair") << u"野"_qs << u"𠮷野家"_qs << 2 << 1;
    }
    void firstHitInTheOriginalText() {
        QFETCH(QString, query);
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(int, length);
        const std::optional<Span> hit = firstHit(text, searchTerms(query));
        QVERIFY(hit);
        QCOMPARE(*hit, (Span{position, length}));
    }
};

QTEST_GUILESS_MAIN(TestSearchFolding)
#include "tst_text_folding.moc"
