#pragma once

#include "about/code_page.h"
#include "about/program_starter.h"
#include "about/registry.h"
#include "about/sysinfo_locator.h"
#include "app/clock.h"
#include "app/position_store.h"
#include "app/window_instance.h"
#include "memo/memo_files.h"

#include <QDate>
#include <QStringList>

#include <memory>

namespace orbeta {

class Form1;
class Form2;
class SingleInstance;
class frmAbout;
class frmSearch;

namespace search {
class MemoIndex;
}

// What the windows share: where positions are remembered, where the time comes from, where the
// memos are kept, and how the system information program is found and started.
struct Services {
    std::unique_ptr<PositionStore> positions = std::make_unique<PositionStore>();
    std::unique_ptr<Clock> clock = std::make_unique<SystemClock>();
    MemoFiles memoFiles;
    std::unique_ptr<registry::Registry> registry; // the system's, made when first needed
    std::unique_ptr<CodePage> codePage = userCodePage();
    std::unique_ptr<FileProbe> files = std::make_unique<FileProbe>();
    std::unique_ptr<ProgramStarter> starter = std::make_unique<ProgramStarter>();
};

// One run of the program: its services and the single instance of each window class. Every
// window reaches the others through it.
class Program {
public:
    explicit Program(Services services = {});
    ~Program();

    // Loads and shows the calendar window.
    void Start();
    // Starts unless a program already runs for the memo folder (the working folder); that one
    // is asked to come forward instead, and the result is false.
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

    // Opens the day's memo over the calendar, as double-clicking the day does, with the first
    // place where any of the (folded) search terms occurs selected. While a memo is open, that
    // one comes forward instead.
    void openMemo(QDate date, const QStringList& searchTerms = {});
    void showAbout();
    void showSearch();

    // The text of every memo, for searching; the folder is first read when this is first asked
    // for.
    search::MemoIndex& memoIndex();

    PositionStore& positions() { return *services_.positions; }
    const Clock& clock() const { return *services_.clock; }
    const MemoFiles& memoFiles() const { return services_.memoFiles; }
    registry::Registry& registry();
    const CodePage& codePage() const { return *services_.codePage; }
    const FileProbe& files() const { return *services_.files; }
    ProgramStarter& starter() { return *services_.starter; }

private:
    Services services_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<search::MemoIndex> memoIndex_; // outlives the windows that show it
    WindowInstance<Form1> form1_;
    WindowInstance<Form2> form2_;
    WindowInstance<frmAbout> about_;
    WindowInstance<frmSearch> search_;
};

} // namespace orbeta
