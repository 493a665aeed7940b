#include "options/frmpref.h"

#include "about/frmabout.h"
#include "app/fatal.h"
#include "app/frmcd.h"
#include "cd/discloading.h"
#include "cd/mcicommands.h"
#include "options/options.h"
#include "options/registry.h"
#include "platform/mimeapps.h"
#include "skins/setskin.h"
#include "skins/tiling.h"
#include "tray/icons.h"
#include "tray/systray.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace vornap {

namespace {

const QString kCommandKey = QStringLiteral("AudioCD\\shell\\play\\command");
const QString kIconKey = QStringLiteral("AudioCD\\DefaultIcon");
const QString kBackup = QStringLiteral("VornapBack");
const QString kDesktopBackup = QStringLiteral("VornapBackDesktop");
const QString kDesktopId = QStringLiteral("vornap.desktop");
const QString kCddbHomePage = QStringLiteral("https://gnudb.org/");

bool isOne(const String& option) {
    // A value that is not a number reads as unchecked rather than failing.
    bool ok = false;
    const double value = option.trimmed().toDouble(&ok);
    return ok && value == 1;
}

QPixmap arrow(bool up) {
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    if (up) {
        path.moveTo(8, 1);
        path.lineTo(15, 11);
        path.lineTo(1, 11);
    } else {
        path.moveTo(1, 1);
        path.lineTo(15, 1);
        path.lineTo(8, 11);
    }
    path.closeSubpath();
    p.fillPath(path, QColor(40, 40, 40));
    return pixmap;
}

// The lookup service's banner, 88 by 31.
QPixmap banner() {
    QPixmap pixmap(88, 31);
    pixmap.fill(QColor(20, 60, 120));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(255, 200, 40));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4, 4, 23, 23));
    p.drawEllipse(QRectF(13, 13, 5, 5));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(30, 0, 58, 31), Qt::AlignCenter, QStringLiteral("gnudb"));
    p.end();
    return pixmap;
}

} // namespace

// Hosts publicly documented as answering CDDB queries today; the other
// mirrors of the old lists are gone.
QStringList cddbServersOfTheCheckBox() {
    return {QStringLiteral("gnudb.gnudb.org"), QStringLiteral("freedb.dbpoweramp.com")};
}

QStringList cddbServersOfTheLoad() {
    return cddbServersOfTheCheckBox();
}

frmPref::frmPref(Application& app, QWidget* parent) : QDialog(parent), app(app) {
    setObjectName(QStringLiteral("frmPref"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);
    createControls();
    // A loaded window is the one the skin and the other windows reach.
    app.frmPref = this;
}

void frmPref::createControls() {
    setFixedSize(470, 410);
    setFont(app.cd ? app.cd->font() : font());
    imgBackground = new ImageBox(this);
    imgBackground->setVisible(false);

    chkSetAsDefault = new QCheckBox(QStringLiteral("Set Vornap as Default Audio CD Player"), this);
    chkSetAsDefault->setGeometry(14, 10, 440, 22);
    chkPlayOnStart = new QCheckBox(QStringLiteral("Start Playing CD on Startup"), this);
    chkPlayOnStart->setGeometry(14, 34, 440, 22);

    fraSkins = new QGroupBox(QStringLiteral("Skin Options"), this);
    fraSkins->setGeometry(10, 62, 450, 82);
    lblSkinDirLabel = new PlainLabel(QStringLiteral("Skin Directory:"), fraSkins);
    lblSkinDirLabel->setGeometry(10, 22, 100, 18);
    lblSkinDir = new PlainLabel(QString(), fraSkins);
    lblSkinDir->setGeometry(110, 22, 330, 18);
    lblSkinDir->setWordWrap(false);
    cmdSkinBrowse = new QPushButton(QStringLiteral("Select &Skin Directory"), fraSkins);
    cmdSkinBrowse->setGeometry(10, 46, 180, 26);

    fraCDDB = new QGroupBox(QStringLiteral("FreeDB Options"), this);
    fraCDDB->setGeometry(10, 150, 450, 132);
    chkUseCDDB = new QCheckBox(QStringLiteral("Use FreeDB"), fraCDDB);
    chkUseCDDB->setGeometry(10, 22, 200, 22);
    lblCDDBServerLabel = new PlainLabel(QStringLiteral("Select FreeDB Server:"), fraCDDB);
    lblCDDBServerLabel->setGeometry(10, 50, 140, 18);
    cboCDDBServer = new QComboBox(fraCDDB);
    cboCDDBServer->setEditable(true);
    cboCDDBServer->setInsertPolicy(QComboBox::NoInsert);
    cboCDDBServer->setGeometry(150, 47, 190, 24);
    chkCDDBOnStartup = new QCheckBox(QStringLiteral("Query FreeDB Server On Startup"), fraCDDB);
    chkCDDBOnStartup->setGeometry(10, 76, 280, 22);
    cmdEmail = new QPushButton(QStringLiteral("Email"), fraCDDB);
    cmdEmail->setGeometry(10, 100, 90, 24);
    cmdProxy = new QPushButton(QStringLiteral("Set &Proxy..."), fraCDDB);
    cmdProxy->setGeometry(108, 100, 110, 24);
    imgFreeDB = new ImageBox(fraCDDB);
    imgFreeDB->setGeometry(352, 22, 88, 31);
    imgFreeDB->setPicture(banner());
    imgFreeDB->setCursor(Qt::PointingHandCursor);
    for (QWidget* w : std::initializer_list<QWidget*>{lblCDDBServerLabel, cboCDDBServer,
                                                      chkCDDBOnStartup, cmdEmail, cmdProxy})
        w->setEnabled(false);

    fraSysTray = new QGroupBox(QStringLiteral("System Tray"), this);
    fraSysTray->setGeometry(10, 288, 450, 70);
    chkSysTray = new QCheckBox(QStringLiteral("System Tray Icon"), fraSysTray);
    chkSysTray->setGeometry(10, 28, 200, 22);
    ptrIconPreview = new QLabel(fraSysTray);
    ptrIconPreview->setGeometry(240, 22, 36, 36);
    ptrIconPreview->setAlignment(Qt::AlignCenter);
    ptrIconPreview->setFrameShape(QFrame::Panel);
    ptrIconPreview->setFrameShadow(QFrame::Sunken);
    imgIconUp = new ImageBox(fraSysTray);
    imgIconUp->setGeometry(284, 22, 16, 12);
    imgIconUp->setPicture(arrow(true));
    imgIconDown = new ImageBox(fraSysTray);
    imgIconDown->setGeometry(284, 44, 16, 12);
    imgIconDown->setPicture(arrow(false));

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setGeometry(270, 370, 90, 28);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setGeometry(368, 370, 90, 28);

    auto on = [this](auto* sender, auto signal, void (frmPref::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { unhandled(this->app, [&] { (this->*handler)(); }); });
    };
    // A check box fills with its Button colour by default; the skin's back
    // colour goes to Window, and the skin's light text needs that dark fill.
    for (QCheckBox* box :
         {chkSetAsDefault, chkPlayOnStart, chkUseCDDB, chkCDDBOnStartup, chkSysTray})
        box->setBackgroundRole(QPalette::Window);

    on(cmdOK, &QPushButton::clicked, &frmPref::cmdOK_Click);
    on(cmdCancel, &QPushButton::clicked, &frmPref::cmdCancel_Click);
    on(chkPlayOnStart, &QCheckBox::toggled, &frmPref::chkPlayOnStart_Click);
    on(chkUseCDDB, &QCheckBox::toggled, &frmPref::chkUseCDDB_Click);
    on(chkSysTray, &QCheckBox::toggled, &frmPref::chkSysTray_Click);
    on(imgIconDown, &ImageBox::clicked, &frmPref::imgIconDown_Click);
    on(imgIconUp, &ImageBox::clicked, &frmPref::imgIconUp_Click);
    on(imgFreeDB, &ImageBox::clicked, &frmPref::imgFreeDB_Click);
    on(cmdEmail, &QPushButton::clicked, &frmPref::cmdEmail_Click);
    on(cmdProxy, &QPushButton::clicked, &frmPref::cmdProxy_Click);
    on(cmdSkinBrowse, &QPushButton::clicked, &frmPref::cmdSkinBrowse_Click);
}

SkinTargets frmPref::skinTargets() {
    SkinTargets t;
    t.imgBackground = imgBackground;
    t.foreOnly = {lblSkinDirLabel};
    t.backAndFore = {chkPlayOnStart, chkSetAsDefault, chkUseCDDB, chkCDDBOnStartup,   chkSysTray,
                     fraCDDB,        fraSkins,        fraSysTray, lblCDDBServerLabel, lblSkinDir};
    return t;
}

QString frmPref::ownCommand() const {
    return app.appPath() + '/' + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QString frmPref::ownIcon() const {
    return ownCommand() + QStringLiteral(",1");
}

void frmPref::loadIcon(Integer number) {
    ptrIconPreview->setPixmap(LoadResPicture(number).pixmap(QSize(32, 32)));
}

void frmPref::Form_Load() {
    auto& v = app.v;
    v.sSkinForm = QStringLiteral("frmPref");
    SetSkin(app);
    CheckOptions(app);

    // The desktop's own setting, which its settings panel may have changed
    // since the player last wrote its mirror in the registry.
    m_wasDefault = platform::audioCdHandler() == kDesktopId;
    chkSetAsDefault->setChecked(m_wasDefault);
    chkPlayOnStart->setChecked(isOne(v.sPlayOnStart));

    if (isOne(v.sUseCDDB)) {
        chkUseCDDB->setChecked(true);
        lblCDDBServerLabel->setEnabled(true);
        cboCDDBServer->setEnabled(true);
        cmdEmail->setEnabled(true);
        if (chkPlayOnStart->isChecked())
            chkCDDBOnStartup->setEnabled(true);
        // Ticking the box above already listed the check box's servers.
        for (const QString& server : cddbServersOfTheLoad())
            if (cboCDDBServer->findText(server) < 0)
                cboCDDBServer->addItem(server);
        cboCDDBServer->setEditText(v.sCDDBServer);
        cmdProxy->setEnabled(true);
        chkCDDBOnStartup->setChecked(isOne(v.sCDDBOnStart));
    } else {
        chkUseCDDB->setChecked(false);
    }

    lblSkinDir->setText(v.sSkinDir);
    chkSysTray->setChecked(v.sSysTrayOnly == QLatin1String("1"));
    if (v.sSysTrayOnly != QLatin1String("1")) {
        ptrIconPreview->setEnabled(false);
        imgIconUp->setEnabled(false);
        imgIconDown->setEnabled(false);
    } else {
        iIconNum = Integer(TrayIconNumber(v.sIconNum));
        loadIcon(iIconNum);
    }
}

void frmPref::chkPlayOnStart_Click() {
    if (!chkUseCDDB->isChecked())
        return;
    if (chkPlayOnStart->isChecked()) {
        chkCDDBOnStartup->setEnabled(true);
    } else {
        chkCDDBOnStartup->setChecked(false);
        chkCDDBOnStartup->setEnabled(false);
    }
}

void frmPref::chkUseCDDB_Click() {
    frmCD* main = app.cd;
    if (chkUseCDDB->isChecked()) {
        lblCDDBServerLabel->setEnabled(true);
        cboCDDBServer->setEnabled(true);
        cmdProxy->setEnabled(true);
        cmdEmail->setEnabled(true);
        if (chkPlayOnStart->isChecked())
            chkCDDBOnStartup->setEnabled(true);
        const QString typed = cboCDDBServer->currentText();
        cboCDDBServer->clear();
        cboCDDBServer->addItems(cddbServersOfTheCheckBox());
        cboCDDBServer->setEditText(typed);
        if (main)
            main->lblCDDB->setVisible(true);
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{lblCDDBServerLabel, cboCDDBServer,
                                                          cmdProxy, chkCDDBOnStartup, cmdEmail})
            w->setEnabled(false);
        if (main)
            main->lblCDDB->setVisible(false);
    }
}

void frmPref::chkSysTray_Click() {
    guarded(app, [&] {
        app.v.ErrorTag = QStringLiteral("PrefSysTrayChk_01");
        if (chkSysTray->isChecked()) {
            ptrIconPreview->setEnabled(true);
            imgIconUp->setEnabled(true);
            imgIconDown->setEnabled(true);
            const auto number = Integer(TrayIconNumber(app.v.sIconNum));
            loadIcon(number);
            iIconNum = number;
        } else {
            app.v.ErrorTag = QStringLiteral("PrefSysTrayChk_02");
            ptrIconPreview->setPixmap(QPixmap());
            ptrIconPreview->setEnabled(false);
            imgIconUp->setEnabled(false);
            imgIconDown->setEnabled(false);
        }
    });
}

void frmPref::imgIconDown_Click() {
    if (iIconNum < 105) {
        ++iIconNum;
        loadIcon(iIconNum);
    }
}

void frmPref::imgIconUp_Click() {
    if (iIconNum > 102) {
        --iIconNum;
        loadIcon(iIconNum);
    }
}

void frmPref::imgFreeDB_Click() {
    if (!app.platform.shell->shellExecute(this, QString(), kCddbHomePage, QString(),
                                          QStringLiteral("C:\\"), 1))
        ReportNotOpened(app, this, kCddbHomePage);
}

void frmPref::showDialog(const QString& name) {
    // A dialog a skin change already loaded (hidden) is shown as it is.
    const std::map<QString, QPointer<QWidget>*> loaded{
        {QStringLiteral("frmEmail"), &app.frmEmail},
        {QStringLiteral("frmSetProxy"), &app.frmSetProxy},
        {QStringLiteral("frmSelectSkinDirectory"), &app.frmSelectSkinDirectory}};
    QWidget* window = nullptr;
    if (const auto it = loaded.find(name); it != loaded.end() && *it->second)
        window = it->second->data();
    const auto factory = app.formFactories.find(name);
    if (!window && factory != app.formFactories.end())
        window = factory->second(app);
    if (!window)
        return;
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->setParent(this, dialog->windowFlags() | Qt::Dialog);
        showModal(dialog);
    }
}

void frmPref::cmdEmail_Click() {
    showDialog(QStringLiteral("frmEmail"));
}

void frmPref::cmdProxy_Click() {
    showDialog(QStringLiteral("frmSetProxy"));
}

void frmPref::cmdSkinBrowse_Click() {
    showDialog(QStringLiteral("frmSelectSkinDirectory"));
}

void frmPref::cmdOK_Click() {
    auto& v = app.v;
    bool stayOpen = false;
    guarded(app, [&] {
        frmCD* main = app.cd;
        v.ErrorTag = QStringLiteral("PrefOKError_01");
        if (main && main->lblTime->text() == QLatin1String("NO CD!")) {
            // Probe the drive in use on its own alias, judged by the answer text.
            mciSend(app, mcicmd::open(v.sCDDrive, mcicmd::cd3));
            mciSend(app, mcicmd::statusMediaPresent(mcicmd::cd3), v.sMciAnswer);
            if (v.sMciAnswer.left(4) == QLatin1String("true")) {
                v.bCDInDrive = true;
                main->lblTime->setText(QStringLiteral("0:00"));
                v.iCurrentTrack = 1;
                v.bLoadCD = true;
                GetCDInfo(app);
            } else {
                v.bCDInDrive = false;
            }
            mciSend(app, mcicmd::close(mcicmd::cd3));
        }

        v.ErrorTag = QStringLiteral("PrefOKError_02");
        v.sPlayOnStart = chkPlayOnStart->isChecked() ? QStringLiteral("1") : QStringLiteral("0");

        v.ErrorTag = QStringLiteral("PrefOKError_03");
        if (chkUseCDDB->isChecked()) {
            v.sUseCDDB = QStringLiteral("1");
            v.sCDDBEmail = storedEmailAddress(app);
            if (v.sCDDBEmail.isEmpty()) {
                app.platform.messageBox->show(
                    this,
                    QStringLiteral("If you are using CDDB, you must enter your email address!"),
                    QStringLiteral("Enter Your Email"));
                stayOpen = true;
                return;
            }
            if (cboCDDBServer->currentText().isEmpty()) {
                app.platform.messageBox->show(
                    this,
                    QStringLiteral(
                        "If you are going to use CDDB, you should at least select a server!"),
                    QStringLiteral("Select CDDB Server"));
                stayOpen = true;
                return;
            }
            v.sCDDBServer = cboCDDBServer->currentText();
            v.sCDDBOnStart =
                chkCDDBOnStartup->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        } else {
            v.sUseCDDB = QStringLiteral("0");
        }

        v.ErrorTag = QStringLiteral("PrefOKError_04");
        if (chkSysTray->isChecked()) {
            if (v.sSysTrayOnly == QLatin1String("0"))
                app.platform.tray->shellNotifyIcon(platform::NIM_DELETE, v.nidTray);
            v.sSysTrayOnly = QStringLiteral("1");
            AddSysTrayIcon(app);
        } else {
            if (v.sSysTrayOnly == QLatin1String("1"))
                app.platform.tray->shellNotifyIcon(platform::NIM_DELETE, v.nidTray);
            v.sSysTrayOnly = QStringLiteral("0");
            // Out of tray mode the window minimises to the taskbar again, so
            // it needs its button back.
            if (app.cd)
                GiveBackTaskbarButton(*app.cd);
        }

        v.ErrorTag = QStringLiteral("PrefOKError_05");
        if (v.sSysTrayOnly == QLatin1String("1")) {
            v.sIconNum = CStr(iIconNum);
            const QIcon icon = LoadResPicture(TrayIconNumber(v.sIconNum));
            if (main)
                main->setWindowIcon(icon);
            v.nidTray.hIcon = icon;
            app.platform.tray->shellNotifyIcon(platform::NIM_MODIFY, v.nidTray);
        }

        v.ErrorTag = QStringLiteral("PrefOKError_06");
        SaveOptions(app);

        v.ErrorTag = QStringLiteral("PrefOKError_07");
        if (chkSetAsDefault->isChecked() != m_wasDefault)
            applyAssociation();
    });
    if (!stayOpen)
        close();
}

void frmPref::applyAssociation() {
    const auto hkcr = platform::HKEY_CLASSES_ROOT;
    if (chkSetAsDefault->isChecked()) {
        const QString icon = GetRegString(app, hkcr, kIconKey, QString());
        if (icon != ownIcon()) {
            SetRegString(app, hkcr, kIconKey, kBackup, icon);
            SetRegString(app, hkcr, kIconKey, QString(), ownIcon());
        }
        const QString command = GetRegString(app, hkcr, kCommandKey, QString());
        if (command != ownCommand()) {
            SetRegString(app, hkcr, kCommandKey, kBackup, command);
            SetRegString(app, hkcr, kCommandKey, QString(), ownCommand());
        }
        // The desktop's own handler for inserted audio CDs.
        const QString handler = platform::audioCdHandler();
        if (handler != kDesktopId) {
            SetRegString(app, hkcr, kCommandKey, kDesktopBackup, handler);
            platform::setAudioCdHandler(kDesktopId);
        }
    } else {
        if (GetRegString(app, hkcr, kIconKey, QString()) == ownIcon()) {
            SetRegString(app, hkcr, kIconKey, QString(),
                         GetRegString(app, hkcr, kIconKey, kBackup));
            DeleteRegValue(app, hkcr, kIconKey, kBackup);
        }
        if (GetRegString(app, hkcr, kCommandKey, QString()) == ownCommand()) {
            SetRegString(app, hkcr, kCommandKey, QString(),
                         GetRegString(app, hkcr, kCommandKey, kBackup));
            DeleteRegValue(app, hkcr, kCommandKey, kBackup);
        }
        if (platform::audioCdHandler() == kDesktopId) {
            platform::setAudioCdHandler(GetRegString(app, hkcr, kCommandKey, kDesktopBackup));
            DeleteRegValue(app, hkcr, kCommandKey, kDesktopBackup);
        }
    }
}

void frmPref::cmdCancel_Click() {
    close();
}

void frmPref::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    TileBackground(painter, size(), imgBackground->picture());
    // A repaint of the whole dialog (shown, uncovered, re-skinned) leaves OK
    // with the focus. The small repaints its own controls cause (a button
    // pressed, the focus moving) must not: taking the focus from a pressed
    // button releases it without a click, and Tab could never leave OK.
    if (event->rect().contains(rect()) && !cmdOK->hasFocus())
        cmdOK->setFocus();
}

void registerPreferencesDialog(Application& app) {
    app.formFactories[QStringLiteral("frmPref")] = [](Application& a) -> QWidget* {
        auto* form = new frmPref(a, a.cd);
        a.frmPref = form;
        form->Form_Load();
        return form;
    };
}

void frmCD::mnuPref_Click() {
    if (app.formFactories.count(QStringLiteral("frmPref")) == 0)
        registerPreferencesDialog(app);
    QWidget* window =
        app.frmPref ? app.frmPref.data() : app.formFactories[QStringLiteral("frmPref")](app);
    auto* dialog = qobject_cast<frmPref*>(window);
    if (!dialog)
        return;
    showModal(dialog);
}

} // namespace vornap
