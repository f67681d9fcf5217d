#pragma once

#include "app/form.h"

class QLabel;
class QPushButton;

namespace orbeta {

class Program;

// The About box: which program this is, and a button that starts the system information
// program.
class frmAbout : public Form {
    Q_OBJECT
public:
    explicit frmAbout(Program& program);

    // Starts the system information program the registry names, or says it is unavailable.
    void StartSysInfo();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Program& program_;
    QLabel* picIcon_;
    QPushButton* cmdSysInfo_;
    QPushButton* cmdOK_;
};

} // namespace orbeta
