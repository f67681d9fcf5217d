#pragma once

#include "app/form.h"

#include <QDate>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QTimer;

namespace orbeta {

class PositionStore;

namespace search {
class MemoIndex;
class SearchResults;
} // namespace search

// The search window: a query field over the list of the memos that hold every word of it,
// newest first. With nothing typed it lists every memo; "同じ日" keeps the calendar's month and
// day of every year. Enter or a double-click asks for the memo, with the first hit selected.
class frmSearch : public Form {
    Q_OBJECT
public:
    frmSearch(PositionStore& positions, search::MemoIndex& index, QWidget& owner);

    QLineEdit& txtQuery() const { return *txtQuery_; }
    QPushButton& cmdSameDay() const { return *cmdSameDay_; }
    QListView& lstResults() const { return *lstResults_; }
    QLabel& lblCount() const { return *lblCount_; }
    search::SearchResults& results() const { return *results_; }

    // Shows the window in front, the query selected for typing over.
    void bringForward();
    // The day selected in the calendar, whose month and day "同じ日" keeps.
    void setCalendarDay(QDate day);

Q_SIGNALS:
    // The user asks for a day's memo, or for the sync tool's copy of it named `copy`.
    void openRequested(QDate day, const QString& copy, const QStringList& terms);

protected:
    void unloadHandler() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void makeControls();
    void layOutControls();
    void makeTimers();
    void connectControls();
    void indexChanged();
    void queryEdited();
    void searchNow();
    void showCount();
    void openResult(const QModelIndex& index);
    void copySelection();
    QDate sameDay() const;

    PositionStore& positions_;
    search::MemoIndex& index_;
    search::SearchResults* results_;
    QLineEdit* txtQuery_ = nullptr;
    QPushButton* cmdSameDay_ = nullptr;
    QListView* lstResults_ = nullptr;
    QLabel* lblCount_ = nullptr;
    QTimer* lookAgain_ = nullptr;  // the folder, where its changes are not seen as they happen
    QTimer* searchSoon_ = nullptr; // once more files have been read
    QDate calendarDay_;
    quint64 searchedGeneration_ = ~quint64{0};
};

} // namespace orbeta
