#pragma once

#include "app/clock.h"
#include "app/position_store.h"
#include "app/window_instance.h"
#include "memo/memo_files.h"

#include <QDate>

#include <memory>

namespace orbeta {

class Form1;
class Form2;

// What the windows share: where positions are remembered, where the time comes from and where
// the memos are kept.
struct Services {
    std::unique_ptr<PositionStore> positions = std::make_unique<PositionStore>();
    std::unique_ptr<Clock> clock = std::make_unique<SystemClock>();
    MemoFiles memoFiles;
};

// One run of the program: its services and the single instance of each window class. Every
// window reaches the others through it.
class Program {
public:
    explicit Program(Services services = {});
    ~Program();

    // Loads and shows the calendar window.
    void Start();
    // Ends the program at once; no window's unload handler runs.
    void End();

    Form1& form1();
    const WindowInstance<Form1>& form1Instance() const { return form1_; }
    Form2& form2();
    const WindowInstance<Form2>& form2Instance() const { return form2_; }

    void openMemo(QDate date);
    void showAbout();

    PositionStore& positions() { return *services_.positions; }
    const Clock& clock() const { return *services_.clock; }
    const MemoFiles& memoFiles() const { return services_.memoFiles; }

private:
    Services services_;
    WindowInstance<Form1> form1_;
    WindowInstance<Form2> form2_;
};

} // namespace orbeta
