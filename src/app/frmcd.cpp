#include "app/frmcd.h"

#include "app/fatal.h"
#include "cd/display.h"
#include "cd/drives.h"
#include "cd/mcicommands.h"
#include "freedb/freedbcontrol.h"
#include "freedb/querycddb.h"
#include "options/options.h"
#include "skins/setskin.h"
#include "skins/tiling.h"
#include "tray/systray.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScopedValueRollback>
#include <cstdio>
#include <cstdlib>

namespace vornap {

namespace {
constexpr int kKeyLowerP = 112;

// The drive box's entry for the drive a text names.
int driveEntry(const QComboBox* box, const QString& text) {
    for (int i = 0; i < box->count() && !text.isEmpty(); ++i)
        if (box->itemText(i).left(3) == text.left(3))
            return i;
    return -1;
}

// The track box's entry for the track a text shows: "3", "3.", "3. Title",
// "3 - Title", or a title alone (track 1's at the end of the disc).
int trackEntry(const QComboBox* box, const QString& text) {
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i) == QString::number(i + 1) + QStringLiteral(". ") + text)
            return i;
    qsizetype digits = 0;
    while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9')
        ++digits;
    return digits > 0 && digits < 6 ? text.left(digits).toInt() - 1 : -1;
}

QFont formFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}
} // namespace

void unhandled(Application& app, const std::function<void()>& handler) {
    // Input is blocked while the window waits for work aside: a click, a
    // D-Bus call or a tick that gets here is dropped.
    if (app.waitingAside > 0)
        return;
    try {
        handler();
        app.notifyObservers();
    } catch (const RuntimeError& e) {
        app.platform.messageBox->show(app.cd,
                                      QStringLiteral("Run-time error '%1':\r\r%2")
                                          .arg(e.number())
                                          .arg(e.description()),
                                      QStringLiteral("Vornap"));
        app.platform.process->exitNow(1);
    } catch (const std::exception& e) {
        app.platform.messageBox->show(app.cd, QString::fromLocal8Bit(e.what()),
                                      QStringLiteral("Vornap"));
        app.platform.process->exitNow(1);
    }
}

void frmCD::cannotStart(const QString& reason) {
    const QString text = QStringLiteral("Vornap cannot start: ") + reason + u'.';
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    // Without a screen nobody could close the box.
    const QString screen = QGuiApplication::platformName();
    if (screen != QLatin1String("offscreen") && screen != QLatin1String("minimal"))
        app.platform.messageBox->show(nullptr, text, QStringLiteral("Vornap"));
    app.platform.process->exitNow(1);
    std::abort(); // exitNow never returns
}

frmCD::frmCD(Application& app, std::unique_ptr<FreeDbControl> freedb)
    : app(app), uFREEDB1(std::move(freedb)) {
    app.cd = this;
    setObjectName(QStringLiteral("frmCD"));
    setWindowTitle(QStringLiteral("Vornap"));
    setFont(formFont());
    createControls();
    createMenus();
    connectEvents();
}

frmCD::~frmCD() {
    if (app.cd == this)
        app.cd = nullptr;
}

void frmCD::createControls() {
    auto* form = new QWidget(this);
    form->setObjectName(QStringLiteral("frmCDClient"));
    form->setAutoFillBackground(false);
    setCentralWidget(form);
    setFixedSize(420, 262);

    auto label = [form](const QString& caption, int x, int y, int w, int h) {
        auto* l = new PlainLabel(caption, form);
        l->setGeometry(x, y, w, h);
        return l;
    };
    auto value = [&](const QString& tip, int x, int y, int w) {
        auto* l = label(QString(), x, y, w, 16);
        l->setToolTip(tip);
        return l;
    };

    imgBackground = new ImageBox(form);
    imgBackground->setVisible(false);

    lblCDDriveLabel = label(QStringLiteral("CD Drive:"), 12, 12, 70, 16);
    cboSetFocus = new LockableComboBox(form);
    cboSetFocus->setGeometry(90, 9, 316, 22);
    cboSetFocus->setText(QStringLiteral("Combo1"));
    // Out of sight, its caret would still blink, repainting the drive box
    // over it twice a second for nothing.
    cboSetFocus->setLocked(true);
    cboCDDrive = new LockableComboBox(form);
    cboCDDrive->setGeometry(90, 9, 316, 22);
    cboCDDrive->raise();
    cboCDDrive->setLocked(true); // unlocked only between a drop-down and the choice
    cboCDDrive->setEntryOf([this](const QString& text) { return driveEntry(cboCDDrive, text); });

    lblCurrentTrackLabel = label(QStringLiteral("Current Track"), 12, 42, 90, 16);
    cboCurrentTrack = new LockableComboBox(form);
    cboCurrentTrack->setGeometry(110, 39, 296, 22);
    cboCurrentTrack->setToolTip(QStringLiteral("Current Track Being Played"));
    cboCurrentTrack->setLocked(true);
    cboCurrentTrack->setEntryOf(
        [this](const QString& text) { return trackEntry(cboCurrentTrack, text); });

    lblTimeLabel = label(QStringLiteral("Time"), 12, 72, 90, 16);
    lblTime = value(QStringLiteral("Timer"), 110, 72, 80);
    lblTotTrackTimeLabel = label(QStringLiteral("Total Track Playing Time"), 200, 72, 140, 16);
    lblTotTrackTime = value(QStringLiteral("Total Playing Time of the Current Track"), 346, 72, 60);
    lblTotTracksLabel = label(QStringLiteral("Total Tracks On CD"), 200, 94, 140, 16);
    lblTotTracks = value(QStringLiteral("Total Number of Tracks on the Current CD"), 346, 94, 60);
    lblArtistLabel = label(QStringLiteral("Artist"), 12, 116, 90, 16);
    lblArtist = value(QStringLiteral("Artist's Name"), 110, 116, 296);
    lblAlbumLabel = label(QStringLiteral("Album"), 12, 138, 90, 16);
    lblAlbum = value(QStringLiteral("Album Name"), 110, 138, 296);
    lblCDDB = label(QStringLiteral("Query CDDB"), 12, 94, 90, 16);
    lblCDDB->setCursor(Qt::PointingHandCursor);
    lblCDDB->setVisible(false);

    ProgressBar = new MBProgressBar(form);
    ProgressBar->setGeometry(12, 162, 394, 14);

    auto button = [form](const char* name, int x) {
        auto* b = new ImageBox(form);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, 186, 60, 40);
        b->setCursor(Qt::PointingHandCursor);
        return b;
    };
    imgBack = button("imgBack", 22);
    imgPlay = button("imgPlay", 102);
    imgPause = button("imgPause", 182);
    imgStop = button("imgStop", 262);
    imgForward = button("imgForward", 342);

    tmrTime = new QTimer(this);
    tmrTime->setInterval(1000);
    tmrCDCheck = new QTimer(this);
    tmrCDCheck->setInterval(500);
}

void frmCD::createMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuPref = mnuFile->addAction(QStringLiteral("&Preferences"));
    mnuFileSep = mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpClick = mnuHelp->addAction(QStringLiteral("&Help"));
    mnuCheckUpdate = mnuHelp->addAction(QStringLiteral("&Check for Update"));
    mnuHelpSep = mnuHelp->addSeparator();
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About"));

    mnuSysTrayMenu = new QMenu(QStringLiteral("SysTrayMenu"), this);
    mnuShow = mnuSysTrayMenu->addAction(QStringLiteral("&Show"));
    mnuSysTrayMenu->setDefaultAction(mnuShow);
    mnuControls = mnuSysTrayMenu->addMenu(QStringLiteral("&Controls"));
    mnuPlay = mnuControls->addAction(QStringLiteral("&Play"));
    mnuPause = mnuControls->addAction(QStringLiteral("P&ause"));
    mnuStop = mnuControls->addAction(QStringLiteral("&Stop"));
    mnuFwd = mnuControls->addAction(QStringLiteral("&Forward"));
    mnuBack = mnuControls->addAction(QStringLiteral("&Back"));
    mnuSelTrack = mnuControls->addMenu(QStringLiteral("S&elect Track"));
    mnuTrackList.push_back(mnuSelTrack->addSeparator()); // the designed element 0, caption "-"
    mnuSysTraySep = mnuSysTrayMenu->addSeparator();
    mnuSysTrayExit = mnuSysTrayMenu->addAction(QStringLiteral("E&xit"));
}

void frmCD::connectEvents() {
    auto on = [this](auto* sender, auto signal, void (frmCD::*handler)()) {
        connect(sender, signal, this, [this, handler] { unhandled(app, [&] { (this->*handler)(); }); });
    };
    on(mnuExit, &QAction::triggered, &frmCD::mnuExit_Click);
    on(mnuPref, &QAction::triggered, &frmCD::mnuPref_Click);
    on(mnuHelpClick, &QAction::triggered, &frmCD::mnuHelpClick_Click);
    on(mnuCheckUpdate, &QAction::triggered, &frmCD::mnuCheckUpdate_Click);
    on(mnuAbout, &QAction::triggered, &frmCD::mnuAbout_Click);
    on(mnuShow, &QAction::triggered, &frmCD::mnuShow_Click);
    on(mnuPlay, &QAction::triggered, &frmCD::mnuPlay_Click);
    on(mnuPause, &QAction::triggered, &frmCD::mnuPause_Click);
    on(mnuStop, &QAction::triggered, &frmCD::mnuStop_Click);
    on(mnuFwd, &QAction::triggered, &frmCD::mnuFwd_Click);
    on(mnuBack, &QAction::triggered, &frmCD::mnuBack_Click);
    on(mnuSysTrayExit, &QAction::triggered, &frmCD::mnuSysTrayExit_Click);

    on(cboCDDrive, &LockableComboBox::dropDown, &frmCD::cboCDDrive_DropDown);
    on(cboCDDrive, &QComboBox::activated, &frmCD::cboCDDrive_Click);
    on(cboCurrentTrack, &LockableComboBox::dropDown, &frmCD::cboCurrentTrack_DropDown);
    on(cboCurrentTrack, &QComboBox::activated, &frmCD::cboCurrentTrack_Click);
    on(lblCDDB, &PlainLabel::clicked, &frmCD::lblCDDB_Click);

    on(imgPlay, &ImageBox::clicked, &frmCD::imgPlay_Click);
    on(imgPause, &ImageBox::clicked, &frmCD::imgPause_Click);
    on(imgStop, &ImageBox::clicked, &frmCD::imgStop_Click);
    on(imgForward, &ImageBox::clicked, &frmCD::imgForward_Click);
    on(imgBack, &ImageBox::clicked, &frmCD::imgBack_Click);
    on(imgPlay, &ImageBox::mouseDown, &frmCD::imgPlay_MouseDown);
    on(imgPlay, &ImageBox::mouseUp, &frmCD::imgPlay_MouseUp);
    on(imgPause, &ImageBox::mouseDown, &frmCD::imgPause_MouseDown);
    on(imgPause, &ImageBox::mouseUp, &frmCD::imgPause_MouseUp);
    on(imgStop, &ImageBox::mouseDown, &frmCD::imgStop_MouseDown);
    on(imgStop, &ImageBox::mouseUp, &frmCD::imgStop_MouseUp);
    on(imgForward, &ImageBox::mouseDown, &frmCD::imgForward_MouseDown);
    on(imgForward, &ImageBox::mouseUp, &frmCD::imgForward_MouseUp);
    on(imgBack, &ImageBox::mouseDown, &frmCD::imgBack_MouseDown);
    on(imgBack, &ImageBox::mouseUp, &frmCD::imgBack_MouseUp);

    connect(tmrTime, &QTimer::timeout, this, [this] { runTick(&frmCD::tmrTime_Timer); });
    connect(tmrCDCheck, &QTimer::timeout, this, [this] { runTick(&frmCD::tmrCDCheck_Timer); });

    app.platform.tray->setMessageHandler([this](std::uint32_t message) {
        unhandled(this->app, [&] { trayMessage(message); });
    });
    app.platform.tray->setHostHandler(
        [this](bool present) { unhandled(this->app, [&] { trayHostChanged(present); }); });
    app.platform.tray->setContextMenu(mnuSysTrayMenu);
    qApp->installEventFilter(this);
    AttachMatchMenu(app);
}

void frmCD::runTick(void (frmCD::*tick)()) {
    // A tick that comes while another (or a box it raised) is still running
    // is skipped; the next period brings it.
    if (m_inTick || m_unloaded)
        return;
    m_inTick = true;
    unhandled(app, [&] { (this->*tick)(); });
    m_inTick = false;
}

void frmCD::Form_Load() {
    auto& v = app.v;
    guarded(app, [&] {
        v.ErrorTag = QStringLiteral("VNPLoad_00");
        platform::InstanceLock& instance = *app.platform.instanceLock;
        if (instance.previousInstance()) {
            // Ending without a sign would look like a failed start, above all
            // with the running player's window hidden in the tray.
            instance.showRunningInstance();
            app.platform.process->exitNow(0);
        }
        if (const QString failure = instance.failure(); !failure.isEmpty())
            cannotStart(failure);
        instance.onShowRequest([this] {
            unhandled(app, [this] {
                mnuShow_Click();
                activateWindow();
            });
        });
        app.helpFile = app.appPath() + QStringLiteral("/vornap_help.html");

        v.ErrorTag = QStringLiteral("VNPLoad_01");
        CheckOptions(app);

        v.ErrorTag = QStringLiteral("VNPLoad_03");
        v.sSkinForm = QStringLiteral("frmCD");
        SetSkin(app);

        v.ErrorTag = QStringLiteral("VNPLoad_04");
        v.bCDInDrive = true;
        GetDriveType(app);
        v.bCDInDrive = false;

        v.ErrorTag = QStringLiteral("VNPLoad_05");
        AddSysTrayIcon(app);
        v.iElapsedMin = 0;
        v.iElapsedSec = 0;
        lblTime->setText(QStringLiteral("Loading..."));

        v.ErrorTag = QStringLiteral("VNPLoad_06");
        mciSend(app, mcicmd::closeAll());
        mciSend(app, mcicmd::open(v.sCDDrive, mcicmd::cd1));
        ProgressBar->setMin(0);
        ProgressBar->setValue(0);
        v.bLoadCD = true;
        v.bRenameDrive = false;
        v.bStopped = true;
        v.bPlaying = false;
        v.bPaused = false;
        v.iCurrentTrack = 1;
        v.bDeleteMenuItems = false;
        v.bLoadMenuItems = false;
        iShowCount = 0;
        uFREEDB1->setOptionFlag(false);

        v.ErrorTag = QStringLiteral("VNPLoad_07");
        UpdInfo(app);

        v.ErrorTag = QStringLiteral("VNPLoad_08");
        if (v.sSysTrayOnly == QLatin1String("1") && app.platform.tray->hostPresent()) {
            auto& style = *app.platform.windowStyle;
            const auto exStyle = style.getWindowLong(this, platform::GWL_EXSTYLE);
            style.setWindowLong(this, platform::GWL_EXSTYLE, exStyle & ~platform::WS_EX_APPWINDOW);
        }
    });
    tmrCDCheck->start();
}

void frmCD::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    tmrCDCheck->stop();
    tmrTime->stop();
    app.platform.tray->shellNotifyIcon(platform::NIM_DELETE, app.v.nidTray);
    mciSend(app, mcicmd::stopWait());
    mciSend(app, mcicmd::closeAll());
    for (QPointer<QWidget>* form : {&app.frmAbout, &app.frmEmail, &app.frmPref,
                                    &app.frmSelectSkinDirectory, &app.frmSetProxy,
                                    &app.frmUpdate}) {
        if (*form) {
            (*form)->close();
            (*form)->deleteLater();
        }
    }
}

void frmCD::Form_KeyPress(int keyAscii) {
    if (keyAscii == kKeyLowerP)
        mnuHelpClick_Click();
}

void frmCD::mnuExit_Click() { close(); }

void frmCD::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    // Windows created hidden by a skin change do not keep the program alive.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void frmCD::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        unhandled(app, [&] { Form_Resize(); });
}

void frmCD::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TileBackground(painter, size(), imgBackground->picture());
    // The first tick comes once the window is on the screen rather than a
    // period later, so a disc in the drive is taken in (and plays) at once.
    if (!m_painted && tmrCDCheck->isActive()) {
        m_painted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!tmrCDCheck->isActive())
                    return;
                tmrCDCheck->start(); // the next tick a whole period after this one
                runTick(&frmCD::tmrCDCheck_Timer);
            },
            Qt::QueuedConnection);
    }
}

bool frmCD::eventFilter(QObject* watched, QEvent* event) {
    // A key let go while a press is acted on (closing the box it opened) must
    // not let that press, travelling on up, count as a new one.
    if (event->type() == QEvent::KeyRelease && !m_actingOnKey)
        m_lastKey = nullptr;
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        // An unaccepted key travels up to the parents; act on its first delivery only.
        if (key != m_lastKey || key->timestamp() != m_lastKeyTime) {
            m_lastKey = key;
            m_lastKeyTime = key->timestamp();
            const QString text = key->text();
            if (text.size() == 1) {
                const QScopedValueRollback acting(m_actingOnKey, true);
                unhandled(app, [&] { Form_KeyPress(text.at(0).unicode()); });
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

SkinTargets frmCD::skinTargets() {
    return {imgBackground,
            {lblTimeLabel, lblTotTrackTimeLabel, lblTotTracksLabel, lblCurrentTrackLabel,
             lblArtistLabel, lblAlbumLabel, lblCDDriveLabel},
            {lblTime, lblTotTrackTime, lblTotTracks, lblArtist, lblAlbum, lblCDDB, cboCurrentTrack,
             cboCDDrive},
            {}};
}

} // namespace vornap
