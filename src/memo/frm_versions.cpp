#include "memo/frm_versions.h"

#include "app/japanese_fonts.h"
#include "memo/memo_store.h"
#include "memo/memo_text.h"
#include "resources/layout.h"
#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_plain_text.h"
#include "richtext/rtf_reader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace orbeta {

namespace {

enum Role { FileRole = Qt::UserRole + 1, ContentRole, ProblemRole, DamagedRole };

constexpr int kShownCharacters = 40;

QString sizeText(qint64 bytes) {
    return QLocale(QLocale::Japanese)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

frmVersions::frmVersions(const MemoStore& memos, QDate day, QWidget* owner) : QDialog(owner) {
    using namespace layout::frmVersions;
    setObjectName(QStringLiteral("frmVersions"));
    setWindowTitle(QStringLiteral("以前の版 ") + day.toString(QStringLiteral("yyyy/MM/dd")));
    setFont(fonts::pGothic(kWindowFontPoints));
    resize(twips::toPixels(kClient));

    lstVersions_ = new QListWidget(this);
    lstVersions_->setObjectName(QStringLiteral("lstVersions"));
    lstVersions_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long lines are cut
    txtPreview_ = new QTextEdit(this);
    txtPreview_->setObjectName(QStringLiteral("txtPreview"));
    txtPreview_->setReadOnly(true);
    rtf::showInlineObjects(*txtPreview_->document());
    lblNote_ = new QLabel(this);
    lblNote_->setWordWrap(true);
    cmdUse_ = new QPushButton(QStringLiteral("この版を使う"), this);
    cmdUse_->setObjectName(QStringLiteral("cmdUse"));
    cmdUse_->setDefault(true); // Enter takes the chosen version; Escape closes
    cmdClose_ = new QPushButton(QStringLiteral("閉じる"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));

    const int margin = twips::toPixels(double{kMargin});
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblNote_, 1);
    buttons->addWidget(cmdUse_);
    buttons->addWidget(cmdClose_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(margin);
    column->addWidget(lstVersions_, 2);
    column->addWidget(txtPreview_, 3);
    column->addLayout(buttons);

    connect(lstVersions_, &QListWidget::currentRowChanged, this, &frmVersions::showChosen);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdUse_, &QPushButton::clicked, this, [this] {
        if (const QListWidgetItem* item = lstVersions_->currentItem()) {
            Q_EMIT taken(item->data(ContentRole).toByteArray());
            accept();
        }
    });
    fill(memos, day);
    lstVersions_->setCurrentRow(0);
    showChosen();
}

void frmVersions::fill(const MemoStore& memos, QDate day) {
    const auto timeText = [](const QDateTime& time, const char* format) {
        return time.isValid() ? time.toString(QString::fromLatin1(format)) : QString();
    };
    for (const ConflictCopy& copy : memos.conflictCopiesOf(day)) {
        const FileRead read = memos.folder().read(copy.name, MemoFiles::kMaxReadBytes);
        addEntry(copy.name,
                 QStringLiteral("同期のコピー（%1）%2")
                     .arg(copy.tool, timeText(copy.madeAt, " yyyy/MM/dd HH:mm")),
                 read.bytes, read.ok() ? QString() : read.reason(), true);
    }
    for (const MemoHistory::Version& version : memos.versionsOf(day)) {
        const FileRead read = memos.history().read(version, MemoFiles::kMaxReadBytes);
        addEntry(version.path, timeText(version.replacedAt, "yyyy/MM/dd HH:mm:ss"), read.bytes,
                 read.ok() ? QString() : read.reason(), false);
    }
}

void frmVersions::addEntry(const QString& file, const QString& when, const QByteArray& content,
                           const QString& problem, bool copy) {
    QString note = problem;
    if (note.isEmpty()) {
        rtf::ReadResult result;
        rtf::rtfPlainText(content, &result);
        if (result.status == rtf::ReadStatus::Damaged)
            note = QStringLiteral("一部が壊れています");
    }
    const QString first =
        problem.isEmpty() ? firstLines(memoFileText(content), 1, kShownCharacters) : QString();
    QString text = when + QStringLiteral("  ") + sizeText(content.size()) + QStringLiteral("  ") +
                   (note.isEmpty() ? first : QStringLiteral("（%1）").arg(note));
    auto* item = new QListWidgetItem(text.replace(u'\t', u' '), lstVersions_);
    item->setData(FileRole, file);
    item->setData(ProblemRole, problem);
    item->setData(DamagedRole, problem.isEmpty() && !note.isEmpty());
    item->setData(ContentRole, problem.isEmpty() ? content : QByteArray());
    if (copy)
        item->setForeground(QColor(176, 96, 0));
}

void frmVersions::choose(const QString& file) {
    for (int row = 0; row < lstVersions_->count(); ++row)
        if (lstVersions_->item(row)->data(FileRole).toString() == file)
            lstVersions_->setCurrentRow(row);
}

void frmVersions::showChosen() {
    const QListWidgetItem* item = lstVersions_->currentItem();
    const QString problem = item ? item->data(ProblemRole).toString() : QString();
    const QByteArray content = item ? item->data(ContentRole).toByteArray() : QByteArray();
    QTextDocument& preview = *txtPreview_->document();
    if (!rtf::readRtf(content, preview).isRtf())
        txtPreview_->setPlainText(plainMemoText(content));
    cmdUse_->setEnabled(item && problem.isEmpty());
    if (!item)
        lblNote_->setText(QStringLiteral("以前の版はありません。"));
    else if (!problem.isEmpty())
        lblNote_->setText(QStringLiteral("この版は読めません（%1）。").arg(problem));
    else if (item->data(DamagedRole).toBool())
        lblNote_->setText(QStringLiteral("この版は一部が壊れています。読めた部分だけを使えます。"));
    else
        lblNote_->clear();
}

} // namespace orbeta
