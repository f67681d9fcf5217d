#pragma once

#include <QByteArray>
#include <QDate>
#include <QSizeF>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPainter;
class QTextDocument;

namespace orbeta {

// The memos of a span of days on portrait pages, one after another in date order: each under a
// heading with its date, weekday and holiday (2026年5月3日（日）憲法記念日), then as it looks in
// the editor, with its fonts, colours, tables and pictures; a page number at the foot of every
// page. The memos are laid out one at a time, so that a year of them needs no more memory than
// the largest.
class MemoBook {
public:
    // What is printed of a day: its memo file's bytes, RTF or text.
    using Content = std::function<QByteArray(QDate day)>;

    MemoBook(QPagedPaintDevice& device, QPainter& painter);

    // Adds a day's memo after those before it; false when the device could not take another
    // page.
    bool add(QDate day, const QByteArray& content);
    // Ends the last page.
    void finish();
    int pages() const { return page_; }

    // The heading of a day: 2026年5月3日（日）憲法記念日.
    static QString heading(QDate day);

    static constexpr double kMarginPoints = 42;
    static constexpr double kHeadingPoints = 13;
    static constexpr double kFooterPoints = 9;

private:
    void drawFooter();

    QPagedPaintDevice& device_;
    QPainter& painter_;
    double pixelsPerPoint_ = 1;
    QSizeF body_;    // where text goes on a page, in the device's pixels
    double top_ = 0; // where the next memo starts on the current page
    int page_ = 1;
};

} // namespace orbeta
