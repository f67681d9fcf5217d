// libFuzzer target: any bytes go through the RTF reader; whatever it reads must survive
// writing and reading again with the same text.
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*=false");
    static int argc = 1;
    static char name[] = "rtf_reader_fuzzer";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument document;
    if (!orbeta::rtf::readRtf(input, document).isRtf())
        return 0;
    const QByteArray written = orbeta::rtf::writeRtf(document);
    QTextDocument again;
    if (orbeta::rtf::readRtf(written, again).status != orbeta::rtf::ReadStatus::Ok ||
        again.toRawText() != document.toRawText()) {
        std::fprintf(stderr, "written RTF does not read back:\n%s\n", written.constData());
        std::abort();
    }
    return 0;
}
