#pragma once

#include "about/code_page.h"
#include "about/program_starter.h"
#include "about/registry.h"
#include "about/sysinfo_locator.h"
#include "app/clock.h"
#include "app/position_store.h"
#include "app/window_instance.h"
#include "print/frm_print.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>

namespace orbeta {

class Form1;
class Form2;
class MemoStore;
class SingleInstance;
class frmAbout;
class frmSearch;

namespace search {
class MemoIndex;
}

// What the program is made of besides its windows: where positions are remembered, where the
// time comes from, where the memos are kept, and how the system information program is found
// and started. Tests put their own in place of any of them.
struct Services {
    std::unique_ptr<PositionStore> positions = std::make_unique<PositionStore>();
    std::unique_ptr<Clock> clock = std::make_unique<SystemClock>();
    QString memoFolder = QStringLiteral(".");     // the working folder
    QString stateFolder;                          // unsaved text; the user's state folder if empty
    std::unique_ptr<registry::Registry> registry; // the system's, made when first needed
    std::unique_ptr<CodePage> codePage = userCodePage();
    std::unique_ptr<FileProbe> files = std::make_unique<FileProbe>();
    std::unique_ptr<ProgramStarter> starter = std::make_unique<ProgramStarter>();
};

// One run of the program: its services, the memo store, and the single instance of each window
// class. The windows know nothing of each other; what one asks for, the program does with the
// others.
class Program {
public:
    explicit Program(Services services = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads and shows the calendar window.
    void Start();
    // Starts unless a program already runs for the memo folder: that one is asked to come
    // forward instead, or, where it does not answer, the user is told; the result is then
    // false. Ends without the user's choice (signals, the end of the session) keep unsaved memo
    // text from now on.
    bool StartUnlessRunning();
    // Shows the calendar, or the window open over it, in front of the others.
    void ComeForward();
    // Ends the program at once; no window's unload handler runs.
    void End();

    Form1& form1();
    const WindowInstance<Form1>& form1Instance() const { return form1_; }
    Form2& form2();
    const WindowInstance<Form2>& form2Instance() const { return form2_; }
    frmAbout& about();
    const WindowInstance<frmAbout>& aboutInstance() const { return about_; }
    frmSearch& search();
    const WindowInstance<frmSearch>& searchInstance() const { return search_; }

    // Opens a day's memo over the calendar, as double-clicking the day does, with the first
    // place where any of the (folded) search terms occurs selected, or with the sync tool's copy
    // `copy` shown. While a memo is open, that one comes forward instead.
    void openMemo(QDate day, const QString& copy = {}, const QStringList& searchTerms = {});
    void showAbout();
    void showSearch();
    // Prints the month on view or a span of memos, or saves them as PDF.
    void print(frmPrint::Purpose purpose);
    // Keeps the text of an open memo that is not saved, for an end the user did not choose.
    void rescueUnsavedText();

    MemoStore& memoStore() { return *store_; }
    // The text of every memo, for searching; the folder is first read when this is first asked
    // for.
    search::MemoIndex& memoIndex();

    PositionStore& positions() { return *services_.positions; }
    const Clock& clock() const { return *services_.clock; }
    registry::Registry& registry();

private:
    Form1* makeCalendar();
    frmSearch* makeSearch();
    void rescueUnsavedTextAtUnchosenEnds();

    Services services_;
    std::unique_ptr<MemoStore> store_;
    std::unique_ptr<search::MemoIndex> memoIndex_; // outlives the windows that show it
    std::unique_ptr<SingleInstance> instance_;
    bool rescuingAtTheEnd_ = false;
    WindowInstance<Form1> form1_;
    WindowInstance<Form2> form2_;
    WindowInstance<frmAbout> about_;
    WindowInstance<frmSearch> search_;
};

} // namespace orbeta
