#pragma once

#include "about/sys_info_services.h"
#include "app/form.h"

class QLabel;
class QPushButton;

namespace orbeta {

// The About box: which program this is, and a button that starts the system information
// program.
class frmAbout : public Form {
    Q_OBJECT
public:
    explicit frmAbout(SysInfoServices services);

    // Starts the system information program the registry names, or says it is unavailable.
    void StartSysInfo();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SysInfoServices services_;
    QLabel* picIcon_;
    QPushButton* cmdSysInfo_;
    QPushButton* cmdOK_;
};

} // namespace orbeta
