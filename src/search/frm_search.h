#pragma once

#include "app/form.h"

#include <QDate>

class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QTimer;

namespace orbeta {

class Program;

namespace search {
class MemoIndex;
class SearchResults;
} // namespace search

// The search window: a query field over the list of the memos that hold every word of it,
// newest first. With nothing typed it lists every memo; "同じ日" keeps the calendar's month and
// day of every year. Enter or a double-click opens the memo with the first hit selected.
class frmSearch : public Form {
    Q_OBJECT
public:
    frmSearch(Program& program, QWidget& owner);

    QLineEdit& txtQuery() const { return *txtQuery_; }
    QPushButton& cmdSameDay() const { return *cmdSameDay_; }
    QListView& lstResults() const { return *lstResults_; }
    QLabel& lblCount() const { return *lblCount_; }
    search::SearchResults& results() const { return *results_; }

    // Shows the window in front, the query selected for typing over.
    void bringForward();

protected:
    void unloadHandler() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void queryEdited();
    void searchNow();
    void showCount();
    void openResult(const QModelIndex& index);
    void copySelection();
    QDate sameDay() const;

    Program& program_;
    search::MemoIndex& index_;
    search::SearchResults* results_;
    QLineEdit* txtQuery_;
    QPushButton* cmdSameDay_;
    QListView* lstResults_;
    QLabel* lblCount_;
    QTimer* lookAgain_;  // the folder, for changes from outside
    QTimer* searchSoon_; // once more files have been read
};

} // namespace orbeta
