#include "memo/frm_versions.h"

#include "app/japanese_fonts.h"
#include "app/readable_colours.h"
#include "memo/readable_text.h"
#include "resources/layout.h"
#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_reader.h"
#include "store/memo_limits.h"
#include "store/memo_store.h"
#include "store/memo_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>

namespace orbeta {

namespace {

QString kindText(const MemoVersion& version) {
    switch (version.kind) {
    case MemoVersion::Kind::Recovered:
    case MemoVersion::Kind::Journal:
        return QStringLiteral("保存されないまま終了したときの内容");
    case MemoVersion::Kind::Unsaved:
        return QStringLiteral("保存しなかった編集");
    case MemoVersion::Kind::SyncCopy:
        return QStringLiteral("同期のコピー（%1）").arg(version.tool);
    case MemoVersion::Kind::Replaced:
        break;
    }
    return {};
}

} // namespace

frmVersions::frmVersions(MemoStore& memos, QDate day, QWidget* owner)
    : QDialog(owner), memos_(memos) {
    using namespace layout::frmVersions;
    setObjectName(QStringLiteral("frmVersions"));
    setWindowTitle(QStringLiteral("以前の版 ") + day.toString(QStringLiteral("yyyy/MM/dd")));
    setFont(fonts::pGothic(kWindowFontPoints));
    resize(twips::toPixels(kClient));

    lstVersions_ = new QListWidget(this);
    lstVersions_->setObjectName(QStringLiteral("lstVersions"));
    lstVersions_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long lines are cut
    lstVersions_->setUniformItemSizes(true);
    txtPreview_ = new QTextEdit(this);
    txtPreview_->setObjectName(QStringLiteral("txtPreview"));
    txtPreview_->setReadOnly(true);
    rtf::showInlineObjects(*txtPreview_->document());
    readablePreview_ = new ReadableText(*txtPreview_);
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
        if (lstVersions_->currentItem() && shownProblem_.isEmpty()) {
            Q_EMIT taken(shown_);
            accept();
        }
    });
    connect(&memos_, &MemoStore::versionDescribed, this, &frmVersions::describe);

    versions_ = memos_.versionsOf(day);
    descriptions_.resize(versions_.size());
    described_.fill(false, versions_.size());
    for (qsizetype row = 0; row < versions_.size(); ++row) {
        auto* item = new QListWidgetItem(entryText(static_cast<int>(row)), lstVersions_);
        item->setToolTip(versions_.at(row).name);
        if (versions_.at(row).kind == MemoVersion::Kind::SyncCopy)
            item->setForeground(syncCopyColour(lstVersions_->palette().color(QPalette::Base)));
    }
    memos_.describe(versions_);
    if (versions_.isEmpty())
        showChosen();
    else
        lstVersions_->setCurrentRow(0); // shows it
}

// When, how large, what kind, and the first line once it is known: the first line is last, so
// that a long one is what is cut.
QString frmVersions::entryText(int row) const {
    const MemoVersion& version = versions_.at(row);
    const VersionDescription& description = descriptions_.at(row);
    QStringList parts;
    parts << (version.madeAt.isValid()
                  ? version.madeAt.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))
                  : QStringLiteral("日時不明"))
          << japaneseSize(version.size);
    if (const QString kind = kindText(version); !kind.isEmpty())
        parts << kind;
    if (!version.problem.isEmpty() || !description.problem.isEmpty())
        parts << QStringLiteral("（%1）").arg(version.problem.isEmpty() ? description.problem
                                                                        : version.problem);
    else if (description.damaged)
        parts << QStringLiteral("（一部が壊れています）") + description.firstLine;
    else if (described_.at(row))
        parts << description.firstLine;
    return parts.join(QStringLiteral("  ")).replace(u'\t', u' ');
}

void frmVersions::describe(const MemoVersion& version, const VersionDescription& description) {
    const auto at = versions_.indexOf(version);
    if (at < 0)
        return;
    descriptions_[at] = description;
    described_[at] = true;
    lstVersions_->item(static_cast<int>(at))->setText(entryText(static_cast<int>(at)));
}

void frmVersions::choose(const QString& file) {
    for (qsizetype row = 0; row < versions_.size(); ++row)
        if (versions_.at(row).id == file)
            lstVersions_->setCurrentRow(static_cast<int>(row));
}

void frmVersions::showChosen() {
    const int row = lstVersions_->currentRow();
    shown_.clear();
    shownProblem_.clear();
    if (row >= 0) {
        VersionContent content = memos_.read(versions_.at(row));
        shown_ = std::move(content.bytes);
        shownProblem_ = content.problem;
    }
    QTextDocument& preview = *txtPreview_->document();
    const rtf::ReadResult read = rtf::readRtf(shown_, preview);
    if (!read.isRtf())
        txtPreview_->setPlainText(plainMemoText(shown_));
    readablePreview_->check();
    txtPreview_->moveCursor(QTextCursor::Start);
    txtPreview_->verticalScrollBar()->setValue(0);
    cmdUse_->setEnabled(row >= 0 && shownProblem_.isEmpty());
    if (row < 0)
        lblNote_->setText(QStringLiteral("以前の版はありません。"));
    else if (!shownProblem_.isEmpty())
        lblNote_->setText(QStringLiteral("この版は読めません（%1）。").arg(shownProblem_));
    else if (read.status == rtf::ReadStatus::Damaged)
        lblNote_->setText(QStringLiteral("この版は一部が壊れています。読めた部分だけを使えます。"));
    else
        lblNote_->setText(versions_.at(row).kind == MemoVersion::Kind::SyncCopy
                              ? versions_.at(row).name
                              : QString());
}

} // namespace orbeta
