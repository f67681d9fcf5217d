#include "search/frm_search.h"

#include "app/handler_guard.h"
#include "app/japanese_fonts.h"
#include "app/position_store.h"
#include "app/program_icon.h"
#include "app/window_position.h"
#include "resources/layout.h"
#include "search/memo_index.h"
#include "search/search_result_delegate.h"
#include "search/search_results.h"
#include "search/text_folding.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace orbeta {

namespace {

const QString kSearchSection = PositionStore::sectionOf(QStringLiteral("frmSearch"));

constexpr Qt::WindowFlags kSizableBorder =
    Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Changes made by other programs are looked for this often while the window is shown, and at
// every keystroke.
constexpr int kLookAgainMs = 3000;
// While the folder is being read, the list follows at most this often.
constexpr int kSearchSoonMs = 150;

} // namespace

frmSearch::frmSearch(PositionStore& positions, search::MemoIndex& index, QWidget& owner)
    : Form(&owner, kSizableBorder), positions_(positions), index_(index),
      results_(new search::SearchResults(index_, this)) {
    using namespace layout::frmSearch;
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("メモを検索"));
    setWindowIcon(programIcon());
    setFont(fonts::pGothic(kWindowFontPoints));
    setGeometry(QRect(twips::toPixels(kClientDesignPosition), twips::toPixels(kClient)));
    setMinimumSize(twips::toPixels(kMinimumClient));
    makeControls();
    layOutControls();
    makeTimers();
    connectControls();
    guarded(this, [this] {
        restoreWindowPosition(*this, positions_, kSearchSection);
        searchNow();
    });
}

void frmSearch::makeControls() {
    txtQuery_ = new QLineEdit(this);
    txtQuery_->setObjectName(QStringLiteral("txtQuery"));
    txtQuery_->setPlaceholderText(QStringLiteral("探す言葉（空白で区切ると、すべてを含むメモ）"));
    txtQuery_->setClearButtonEnabled(true);
    cmdSameDay_ = new QPushButton(QStringLiteral("同じ日"), this);
    cmdSameDay_->setObjectName(QStringLiteral("cmdSameDay"));
    cmdSameDay_->setCheckable(true);
    cmdSameDay_->setAutoDefault(false);
    cmdSameDay_->setToolTip(QStringLiteral("カレンダーで選んだ月日の、毎年のメモ (Ctrl+D)"));
    lstResults_ = new QListView(this);
    lstResults_->setObjectName(QStringLiteral("lstResults"));
    lstResults_->setUniformItemSizes(true);
    lstResults_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long lines are cut
    lstResults_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstResults_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstResults_->setItemDelegate(new search::SearchResultDelegate(lstResults_));
    lstResults_->setModel(results_);
    lblCount_ = new QLabel(this);
    lblCount_->setObjectName(QStringLiteral("lblCount"));
}

void frmSearch::layOutControls() {
    const int margin = twips::toPixels(double{layout::frmSearch::kMargin});
    auto* queryRow = new QHBoxLayout;
    queryRow->addWidget(txtQuery_, 1);
    queryRow->addWidget(cmdSameDay_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(margin);
    column->addLayout(queryRow);
    column->addWidget(lstResults_, 1);
    column->addWidget(lblCount_);
    setTabOrder(txtQuery_, lstResults_);
    setTabOrder(lstResults_, cmdSameDay_);
}

void frmSearch::makeTimers() {
    lookAgain_ = new QTimer(this);
    lookAgain_->setObjectName(QStringLiteral("lookAgain"));
    lookAgain_->setInterval(kLookAgainMs);
    connect(lookAgain_, &QTimer::timeout, &index_, &search::MemoIndex::refresh);
    searchSoon_ = new QTimer(this);
    searchSoon_->setSingleShot(true);
    searchSoon_->setInterval(kSearchSoonMs);
    connect(searchSoon_, &QTimer::timeout, this, &frmSearch::searchNow);
}

void frmSearch::connectControls() {
    txtQuery_->installEventFilter(this);
    lstResults_->installEventFilter(this);
    connect(txtQuery_, &QLineEdit::textChanged, this, &frmSearch::queryEdited);
    connect(txtQuery_, &QLineEdit::returnPressed, this, [this] {
        const QModelIndex current = lstResults_->currentIndex();
        openResult(current.isValid() ? current : results_->index(0));
    });
    connect(cmdSameDay_, &QPushButton::toggled, this, &frmSearch::searchNow);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this), &QShortcut::activated,
            cmdSameDay_, &QPushButton::toggle);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &frmSearch::Unload);
    connect(lstResults_, &QListView::activated, this, &frmSearch::openResult);
    connect(&index_, &search::MemoIndex::changed, this, &frmSearch::indexChanged);
}

// The list follows what was read, at most a few times a second while reading goes on; the
// search runs again only where what it finds can have changed.
void frmSearch::indexChanged() {
    if (index_.generation() != searchedGeneration_) {
        if (!index_.reading())
            searchNow();
        else if (!searchSoon_->isActive())
            searchSoon_->start();
    }
    showCount();
}

void frmSearch::setCalendarDay(QDate day) {
    calendarDay_ = day;
    if (cmdSameDay_->isChecked())
        searchNow();
}

void frmSearch::bringForward() {
    showNormal();
    raise();
    activateWindow();
    txtQuery_->setFocus();
    txtQuery_->selectAll();
}

void frmSearch::unloadHandler() {
    storeWindowPosition(*this, positions_, kSearchSection);
}

void frmSearch::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    lookAgain_->start();
}

void frmSearch::hideEvent(QHideEvent* event) {
    lookAgain_->stop();
    Form::hideEvent(event);
}

void frmSearch::queryEdited() {
    index_.refresh(); // picks up what other programs changed, for the next keystroke
    lstResults_->scrollToTop();
    searchNow();
}

QDate frmSearch::sameDay() const {
    return cmdSameDay_->isChecked() ? calendarDay_ : QDate();
}

void frmSearch::searchNow() {
    searchSoon_->stop();
    searchedGeneration_ = index_.generation();
    // The same results may come again with more files read: the user's place stays.
    const search::SearchResults::Entry current =
        results_->entryAt(lstResults_->currentIndex().row());
    QList<search::SearchResults::Entry> selected;
    for (const QModelIndex& row : lstResults_->selectionModel()->selectedRows())
        selected.append(results_->entryAt(row.row()));
    const int scrolled = lstResults_->verticalScrollBar()->value();

    const QStringList terms =
        searchTerms(txtQuery_->text()).mid(0, search::SearchResults::kMaxTerms);
    const bool sameQuery = terms == results_->terms();
    results_->show(terms, sameDay());

    if (sameQuery && !lstResults_->selectionModel()->hasSelection()) {
        QItemSelection rows;
        for (const search::SearchResults::Entry& entry : selected) {
            if (const int row = results_->rowOf(entry); row >= 0)
                rows.select(results_->index(row), results_->index(row));
        }
        lstResults_->selectionModel()->select(rows, QItemSelectionModel::Select);
        if (const int row = results_->rowOf(current); row >= 0)
            lstResults_->selectionModel()->setCurrentIndex(results_->index(row),
                                                           QItemSelectionModel::NoUpdate);
        lstResults_->verticalScrollBar()->setValue(scrolled);
    }
    showCount();
}

void frmSearch::showCount() {
    QString text = QStringLiteral("%1 件").arg(results_->rowCount());
    if (const QDate day = sameDay(); day.isValid())
        text = day.toString(QStringLiteral("M月d日")) + QStringLiteral("のメモ　") + text;
    if (results_->terms().size() == search::SearchResults::kMaxTerms &&
        searchTerms(txtQuery_->text()).size() > search::SearchResults::kMaxTerms)
        text += QStringLiteral("　（はじめの %1 語で検索）").arg(search::SearchResults::kMaxTerms);
    if (index_.filesRead() < index_.fileCount()) {
        text += QStringLiteral("　（読み込み中 %1 / %2）")
                    .arg(index_.filesRead())
                    .arg(index_.fileCount());
    }
    lblCount_->setText(text);
}

void frmSearch::openResult(const QModelIndex& index) {
    const search::SearchResults::Entry entry = results_->entryAt(index.row());
    if (!entry.day.isValid())
        return;
    const QPointer<frmSearch> self(this);
    guarded(this, [&] {
        Q_EMIT openRequested(entry.day, entry.copy ? entry.name : QString(), results_->terms());
    });
    if (self && isVisible()) { // back where the user was
        raise();
        activateWindow();
    }
}

void frmSearch::copySelection() {
    QList<int> rows;
    for (const QModelIndex& row : lstResults_->selectionModel()->selectedRows())
        rows.append(row.row());
    if (!rows.isEmpty())
        QGuiApplication::clipboard()->setText(results_->copiedLines(rows));
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return Form::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == txtQuery_ && key->key() == Qt::Key_Down && results_->rowCount() > 0) {
        lstResults_->setFocus();
        if (!lstResults_->currentIndex().isValid())
            lstResults_->setCurrentIndex(results_->index(0));
        return true;
    }
    if (watched == lstResults_ && key->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return Form::eventFilter(watched, event);
}

} // namespace orbeta
