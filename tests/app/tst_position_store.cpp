#include "app/position_store.h"
#include "app/single_text.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using orbeta::PositionStore;
using orbeta::twips::Point;

class TestPositionStore : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString iniFile() const { return folder_.filePath(QStringLiteral("Orbeta.ini")); }

    QString readFile() const {
        QFile file(iniFile());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void writeFile(const QByteArray& content) {
        QFile file(iniFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { QFile::remove(iniFile()); }

    void singlesAsText_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("design left") << 1515.0f << "1515";
        QTest::newRow("negative") << -45.0f << "-45";
        QTest::newRow("zero") << 0.0f << "0";
        QTest::newRow("minus zero") << -0.0f << "0";
        QTest::newRow("seven digits") << 1234567.0f << "1234567";
        QTest::newRow("beyond seven digits") << 12345678.0f << "1.234568E+07";
        QTest::newRow("fraction") << 1.5f << "1.5";
    }
    void singlesAsText() {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(orbeta::singleToText(value), text);
    }

    void textAsSingles_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<float>("value");
        QTest::newRow("integer") << "1515" << true << 1515.0f;
        QTest::newRow("negative") << "-45" << true << -45.0f;
        QTest::newRow("blanks around") << "  300 " << true << 300.0f;
        QTest::newRow("exponent") << "1.5E+03" << true << 1500.0f;
        QTest::newRow("empty") << "" << false << 0.0f;
        QTest::newRow("words") << "left" << false << 0.0f;
        QTest::newRow("trailing garbage") << "12px" << false << 0.0f;
        QTest::newRow("infinity") << "inf" << false << 0.0f;
        QTest::newRow("too large for a single") << "1e300" << false << 0.0f;
    }
    void textAsSingles() {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(float, value);
        const std::optional<float> parsed = orbeta::textToSingle(text);
        QCOMPARE(parsed.has_value(), isNumber);
        if (isNumber)
            QCOMPARE(*parsed, value);
    }

    void firstRunHasNothingAndWritesNothing() {
        {
            PositionStore store(iniFile());
            QVERIFY(!store.restore(QStringLiteral("Form1_StrtUp"), Point{1515, 1380}));
        }
        QVERIFY(!QFile::exists(iniFile()));
    }

    void storedPositionIsWrittenAsTextAndReadBack() {
        {
            PositionStore store(iniFile());
            store.store(QStringLiteral("Form1_StrtUp"), Point{1515, -45});
            store.store(QStringLiteral("Form2_StrtUp"), Point{-30000, 2805});
        }
        const QString file = readFile();
        QVERIFY2(file.contains(QStringLiteral("[Form1_StrtUp]\nX1=1515\nY1=-45\n")),
                 qPrintable(file));
        QVERIFY2(file.contains(QStringLiteral("[Form2_StrtUp]\nX1=-30000\nY1=2805\n")),
                 qPrintable(file));

        PositionStore later(iniFile());
        const auto form1 = later.restore(QStringLiteral("Form1_StrtUp"), Point{0, 0});
        QVERIFY(form1);
        QCOMPARE(form1->left, 1515.0);
        QCOMPARE(form1->top, -45.0);
        const auto form2 = later.restore(QStringLiteral("Form2_StrtUp"), Point{0, 0});
        QVERIFY(form2);
        QCOMPARE(form2->left, -30000.0);
    }

    void unreadableValueKeepsTheDefaultForThatCoordinate_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("top");
        QTest::newRow("garbage left")
            << QByteArray("[Form1_StrtUp]\nX1=abc\nY1=900\n") << 100.0 << 900.0;
        QTest::newRow("only top") << QByteArray("[Form1_StrtUp]\nY1=-15\n") << 100.0 << -15.0;
        QTest::newRow("written by hand")
            << QByteArray("[Form1_StrtUp]\nX1= 750 \nY1=1.5E+03\n") << 750.0 << 1500.0;
    }
    void unreadableValueKeepsTheDefaultForThatCoordinate() {
        QFETCH(QByteArray, content);
        QFETCH(double, left);
        QFETCH(double, top);
        writeFile(content);
        const auto position =
            PositionStore(iniFile()).restore(QStringLiteral("Form1_StrtUp"), Point{100, 200});
        QVERIFY(position);
        QCOMPARE(position->left, left);
        QCOMPARE(position->top, top);
    }

    void noNumberAtAllLeavesTheWindowWhereAFirstRunOpensIt_data() {
        QTest::addColumn<QByteArray>("value");
        for (const char* value : {"abc", "nan", "inf", "", "1,5e3"})
            QTest::newRow(value) << QByteArray(value);
    }
    void noNumberAtAllLeavesTheWindowWhereAFirstRunOpensIt() {
        QFETCH(QByteArray, value);
        writeFile("[Form1_StrtUp]\nX1=" + value + "\nY1=" + value + "\n");
        QVERIFY(!PositionStore(iniFile()).restore(QStringLiteral("Form1_StrtUp"), Point{1, 2}));
    }

    void sectionsAreKeptApart() {
        writeFile("[Form2_StrtUp]\nX1=10\nY1=20\n");
        PositionStore store(iniFile());
        QVERIFY(!store.restore(QStringLiteral("Form1_StrtUp"), Point{1, 2}));
        QVERIFY(store.restore(QStringLiteral("Form2_StrtUp"), Point{1, 2}));
    }

    void defaultStoreIsTheUsersOrbetaIniFile() {
        const PositionStore store;
        QVERIFY2(store.fileName().endsWith(QStringLiteral("/Orbeta/Orbeta.ini")),
                 qPrintable(store.fileName()));
        QVERIFY(store.fileName().startsWith(
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
    }
};

QTEST_GUILESS_MAIN(TestPositionStore)
#include "tst_position_store.moc"
