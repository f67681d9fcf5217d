#include "memo/journal_keeper.h"

#include "richtext/document_snapshot.h"
#include "store/memo_store.h"

#include <QTextDocument>

namespace orbeta {

JournalKeeper::JournalKeeper(MemoStore& store, QTextDocument& document, QDate day, QObject* parent)
    : QObject(parent), store_(store), document_(document), day_(day) {
    afterLastChange_.setSingleShot(true);
    afterLastChange_.setInterval(kAfterLastChange);
    whileChanging_.setSingleShot(true);
    whileChanging_.setInterval(kWhileChanging);
    connect(&afterLastChange_, &QTimer::timeout, this, &JournalKeeper::write);
    connect(&whileChanging_, &QTimer::timeout, this, &JournalKeeper::write);
    connect(&document_, &QTextDocument::contentsChanged, this, &JournalKeeper::changed);
}

void JournalKeeper::changed() {
    if (!document_.isModified())
        return;
    afterLastChange_.start();
    if (!whileChanging_.isActive())
        whileChanging_.start();
}

void JournalKeeper::write() {
    afterLastChange_.stop();
    whileChanging_.stop();
    if (document_.isModified())
        store_.writeJournal(day_, rtf::DocumentSnapshot::of(document_));
}

} // namespace orbeta
