#include "measures.h"

#include <QByteArray>
#include <QFile>
#include <QTimer>

#include <algorithm>

long statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(qstrlen(field)))
                .trimmed()
                .split(' ')
                .first()
                .toLong();
    return -1;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

StallMeter::StallMeter() {
    constexpr int kTickMs = 5;
    auto* tick = new QTimer(this);
    tick->setTimerType(Qt::PreciseTimer);
    connect(tick, &QTimer::timeout, this,
            [this] { longestMs_ = std::max(longestMs_, sinceTick_.restart() - kTickMs); });
    sinceTick_.start();
    tick->start(kTickMs);
}
