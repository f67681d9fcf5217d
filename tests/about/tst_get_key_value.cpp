#include "about/code_page_posix.h"
#include "about/get_key_value.h"
#include "about/memory_registry.h"
#include "about/sysinfo_locator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

using namespace orbeta;
using namespace orbeta::registry;

namespace {

const std::string kKey = "SOFTWARE\\Orbeta\\Test";
const IconvCodePage kShiftJis("CP932");
const IconvCodePage kUtf8("UTF-8");

MemoryRegistry::Value bytesOf(std::uint32_t type, const std::string& bytes) {
    return {type, std::vector<unsigned char>(bytes.begin(), bytes.end())};
}

} // namespace

class TestGetKeyValue : public QObject {
    Q_OBJECT

    MemoryRegistry registry_;

    // GetKeyValue on the test registry, with KeyVal holding `before`.
    std::pair<bool, std::string> read(const std::string& key, const std::string& value,
                                      const std::string& before = "old") {
        std::string keyVal = before;
        const bool found = GetKeyValue(registry_, kShiftJis, kLocalMachine, key, value, keyVal);
        return {found, keyVal};
    }

private Q_SLOTS:
    void init() { registry_ = MemoryRegistry(); }
    void cleanup() { QCOMPARE(registry_.openKeys(), 0); } // every key opened is closed

    void stringsInTheUsersCodePage() {
        registry_.setString(kLocalMachine, kKey, "Sz",
                            "\x93\xfa\x96\x7b\x8c\xea \xb6\xc0\xb6\xc5"); // 日本語 ｶﾀｶﾅ
        registry_.setValue(kLocalMachine, kKey, "NoTerminator",
                           bytesOf(kString, "\x95\x5c\x8e\xa6"));
        QCOMPARE(read(kKey, "Sz"), std::make_pair(true, std::string("日本語 ｶﾀｶﾅ")));
        QCOMPARE(read(kKey, "NoTerminator"), std::make_pair(true, std::string("表示")));
        QCOMPARE(registry_.lastAccess(), kRead);
    }

    void namesAreCaseBlindAndPassedInTheCodePage() {
        registry_.setString(kLocalMachine, "SOFTWARE\\\x83\x65\x83\x58\x83\x67", "\x92\x6c",
                            "v"); // テスト, 値
        QCOMPARE(read("software\\テスト", "値"), std::make_pair(true, std::string("v")));
    }

    void theBufferHolds1024Bytes() {
        registry_.setValue(kLocalMachine, kKey, "Full",
                           bytesOf(kString, std::string(1023, 'a') + '\0'));
        registry_.setValue(kLocalMachine, kKey, "FullNoZero",
                           bytesOf(kString, std::string(1024, 'b')));
        registry_.setValue(kLocalMachine, kKey, "TooLong",
                           bytesOf(kString, std::string(1024, 'c') + '\0'));
        QCOMPARE(read(kKey, "Full"), std::make_pair(true, std::string(1023, 'a')));
        QCOMPARE(read(kKey, "FullNoZero"), std::make_pair(true, std::string(1024, 'b')));
        QCOMPARE(read(kKey, "TooLong"), std::make_pair(false, std::string()));
    }

    void failuresEmptyKeyVal() {
        registry_.setString(kLocalMachine, kKey, "There", "x");
        QCOMPARE(read("SOFTWARE\\Missing", "There"), std::make_pair(false, std::string()));
        QCOMPARE(read(kKey, "Missing"), std::make_pair(false, std::string()));
        std::string keyVal = "old";
        QVERIFY(
            !GetKeyValue(registry_, kShiftJis, 0x80000001, kKey, "There", keyVal)); // another root
        QCOMPARE(keyVal, std::string());
    }

    void dwordsAreAppendedInHexadecimal_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("4096") << QByteArray("\x00\x10\x00\x00", 4) << "old&h1000";
        QTest::newRow("one") << QByteArray("\x01\x00\x00\x00", 4) << "old&h1";
        QTest::newRow("zero") << QByteArray("\x00\x00\x00\x00", 4) << "old&h0";
        QTest::newRow("high byte") << QByteArray("\x78\x56\x34\x12", 4) << "old&h12345678";
        QTest::newRow("all ones") << QByteArray("\xff\xff\xff\xff", 4) << "old&hFFFFFFFF";
        QTest::newRow("short") << QByteArray("\x2a", 1) << "old&h2A";
    }
    void dwordsAreAppendedInHexadecimal() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        registry_.setValue(kLocalMachine, kKey, "Dword", bytesOf(kDword, bytes.toStdString()));
        QCOMPARE(read(kKey, "Dword"), std::make_pair(true, text.toStdString()));
    }

    void otherTypesLeaveKeyValAlone() {
        registry_.setValue(kLocalMachine, kKey, "Binary", bytesOf(kBinary, "\x01\x02"));
        registry_.setValue(kLocalMachine, kKey, "Expand",
                           bytesOf(kExpandString, std::string("%PATH%\0", 7)));
        QCOMPARE(read(kKey, "Binary", "kept"), std::make_pair(true, std::string("kept")));
        QCOMPARE(read(kKey, "Expand", "kept"), std::make_pair(true, std::string("kept")));
    }

    void onlyReadingIsAskedFor() {
        Key key = 0;
        QCOMPARE(registry_.OpenKey(kLocalMachine, kKey, 0x2003F, key), kAccessDenied);
    }
};

class TestSysInfoLocator : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

    std::optional<std::string> locate(MemoryRegistry& registry) {
        return LocateSysInfo(registry, kUtf8, FileProbe());
    }
    void touch(const QString& path, bool executable = false) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        if (executable)
            file.setPermissions(file.permissions() | QFile::ExeOwner);
    }

private Q_SLOTS:
    void theFullPathIsUsedAsItIs() {
        MemoryRegistry registry;
        registry.setString(kLocalMachine, kSysInfoPathKey, "PATH", "/no/such/program");
        registry.setString(kLocalMachine, kSysInfoFolderKey, "MSINFO",
                           folder_.path().toStdString());
        QCOMPARE(locate(registry), std::optional<std::string>("/no/such/program"));
    }

    void elseTheProgramInTheFolder() {
        MemoryRegistry registry;
        registry.setString(kLocalMachine, kSysInfoFolderKey, "MSINFO",
                           folder_.path().toStdString());
        QCOMPARE(locate(registry), std::nullopt); // nothing there yet
        touch(folder_.filePath("MSINFO32.EXE"));
        QCOMPARE(locate(registry),
                 std::optional<std::string>(folder_.filePath("MSINFO32.EXE").toStdString()));
    }

    void aFolderOfThatNameDoesNotCount() {
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkdir("MSINFO32.EXE"));
        MemoryRegistry registry;
        registry.setString(kLocalMachine, kSysInfoFolderKey, "MSINFO", other.path().toStdString());
        QCOMPARE(locate(registry), std::nullopt);
        QVERIFY(!FileProbe().isPlainFile(other.filePath(".hidden").toStdString()));
    }

    void nothingInTheRegistry() {
        MemoryRegistry registry;
        QCOMPARE(locate(registry), std::nullopt);
    }

    void linuxRegistryNamesTheProgramFoundOnPath() {
        QTemporaryDir bin;
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(folder_.path() + "/none:" + bin.path()));
        auto empty = systemRegistry();
        std::string keyVal;
        QVERIFY(!GetKeyValue(*empty, kUtf8, kLocalMachine, kSysInfoPathKey, "PATH", keyVal));

        touch(bin.filePath("kinfocenter")); // not executable: not a program
        touch(bin.filePath("hardinfo"), true);
        auto found = systemRegistry();
        qputenv("PATH", oldPath);
        QVERIFY(GetKeyValue(*found, kUtf8, kLocalMachine, kSysInfoPathKey, "PATH", keyVal));
        QCOMPARE(QString::fromStdString(keyVal), bin.filePath("hardinfo"));
    }
};

int main(int argc, char* argv[]) {
    TestGetKeyValue keyValues;
    TestSysInfoLocator locator;
    return QTest::qExec(&keyValues, argc, argv) | QTest::qExec(&locator, argc, argv);
}

#include "tst_get_key_value.moc"
