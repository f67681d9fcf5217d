#include "about/frm_about.h"

#include "about/code_page.h"
#include "about/program_starter.h"
#include "about/sysinfo_locator.h"
#include "app/handler_guard.h"
#include "app/japanese_fonts.h"
#include "app/program_icon.h"
#include "app/version.h"
#include "resources/layout.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace orbeta {

namespace {

constexpr Qt::WindowFlags kFixedDialog = Qt::Dialog | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;

QLabel* label(QWidget* parent, const char* name, const QString& text, twips::Rect place,
              double points, bool black) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(twips::toPixels(place));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The substitutes of the Japanese fonts set Latin text a little wider and taller than the
    // originals: a text that would be cut off is set a little smaller instead.
    QFont font = fonts::pGothic(points);
    const auto fits = [&](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        return metrics.horizontalAdvance(text) <= label->width() &&
               metrics.height() <= label->height();
    };
    while (!fits(font) && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    label->setFont(font);
    if (black) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    return label;
}

} // namespace

frmAbout::frmAbout(SysInfoServices services)
    : Form(nullptr, kFixedDialog), services_(std::move(services)) {
    using namespace layout::frmAbout;
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Orbeta Information"));
    setWindowIcon(programIcon());
    setFixedSize(twips::toPixels(kClient));

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    picIcon_->setGeometry(twips::toPixels(kPicIcon));
    picIcon_->setPixmap(programIcon().pixmap(32, 32));
    picIcon_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon_->setFocusPolicy(Qt::TabFocus);

    label(this, "lblTitle", QStringLiteral("Orbeta for Windows95/98/NT"), kLblTitle,
          kLblTitleFontPoints, true);
    label(this, "lblVersion", QStringLiteral("Version ") + version::shown(), kLblVersion,
          kLblVersionFontPoints, false);
    label(this, "lblDescription", QStringLiteral("Copyright (C) The Orbeta authors"),
          kLblDescription, kLblDescriptionFontPoints, true);
    label(this, "Label1", QStringLiteral("E-Mail : orbeta@example.org"), kLabel1, kLabel1FontPoints,
          true);

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(twips::toPixels(kFrame1));
    frame1->setFrameShape(QFrame::HLine);
    frame1->setFrameShadow(QFrame::Sunken);

    cmdSysInfo_ = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo_->setGeometry(twips::toPixels(kCmdSysInfo));
    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(twips::toPixels(kCmdOK));
    cmdOK_->setDefault(true);

    setTabOrder(cmdOK_, picIcon_);
    setTabOrder(picIcon_, cmdSysInfo_);

    connect(cmdOK_, &QPushButton::clicked, this, [this] { Unload(); });
    connect(cmdSysInfo_, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { StartSysInfo(); }); });
    // OK is both the default and the cancel button: Enter and Escape press it from anywhere.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter),
                                     QKeySequence(Qt::Key_Escape)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, cmdOK_, &QPushButton::click);
    }

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(0, 0), size());
        area.moveCenter(screen->availableGeometry().center());
        setGeometry(area);
    }
}

void frmAbout::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    cmdOK_->setFocus(Qt::OtherFocusReason);
}

void frmAbout::StartSysInfo() {
    const std::optional<std::string> program =
        LocateSysInfo(services_.registry(), services_.codePage, services_.files);
    if (program && services_.starter.start(QString::fromStdString(*program)))
        return;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Orbeta"),
                    QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("sysInfoUnavailable"));
    box.exec();
}

} // namespace orbeta
