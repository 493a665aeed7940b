#pragma once

#include "app/application.h"
#include "app/vbtypes.h"
#include "app/widgets.h"
#include "cd/mbprogressbar.h"
#include "skins/skinnedform.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace vornap {

class FreeDbControl;

// The main window.
class frmCD : public QMainWindow, public SkinnedForm {
    Q_OBJECT
public:
    frmCD(Application& app, std::unique_ptr<FreeDbControl> freedb);
    ~frmCD() override;

    Application& app;

    // Controls.
    PlainLabel* lblCDDriveLabel;
    LockableComboBox* cboCDDrive;
    LockableComboBox* cboSetFocus; // covered by the drive box; only takes the focus
    PlainLabel* lblCurrentTrackLabel;
    LockableComboBox* cboCurrentTrack;
    PlainLabel* lblTimeLabel;
    PlainLabel* lblTime;
    PlainLabel* lblTotTrackTimeLabel;
    PlainLabel* lblTotTrackTime;
    PlainLabel* lblTotTracksLabel;
    PlainLabel* lblTotTracks;
    PlainLabel* lblArtistLabel;
    PlainLabel* lblArtist;
    PlainLabel* lblAlbumLabel;
    PlainLabel* lblAlbum;
    PlainLabel* lblCDDB;
    ImageBox* imgPlay;
    ImageBox* imgPause;
    ImageBox* imgStop;
    ImageBox* imgForward;
    ImageBox* imgBack;
    ImageBox* imgBackground; // the background tile's holder; never shown itself
    MBProgressBar* ProgressBar;
    std::unique_ptr<FreeDbControl> uFREEDB1;
    QTimer* tmrTime;
    QTimer* tmrCDCheck;

    // Menus.
    QMenu* mnuFile;
    QAction* mnuPref;
    QAction* mnuFileSep;
    QAction* mnuExit;
    QMenu* mnuHelp;
    QAction* mnuHelpClick;
    QAction* mnuCheckUpdate;
    QAction* mnuHelpSep;
    QAction* mnuAbout;
    QMenu* mnuSysTrayMenu; // the tray pop-up; not in the menu bar
    QAction* mnuShow;
    QMenu* mnuControls;
    QAction* mnuPlay;
    QAction* mnuPause;
    QAction* mnuStop;
    QAction* mnuFwd;
    QAction* mnuBack;
    QMenu* mnuSelTrack;
    std::vector<QAction*> mnuTrackList; // element 0 is the designed "-"
    QAction* mnuSysTraySep;
    QAction* mnuSysTrayExit;

    // Window-level variables.
    String sLastDriveText;
    Integer iShowCount = 0;
    // The disc watcher's own reply fields.
    FixedString<30> sMCIReply;
    String sMediaPresent;
    FixedString<30> sPosition;
    FixedString<30> sNextTrackStart;
    FixedString<30> sCDLength;

    // Start-up and shutdown.
    void Form_Load();
    void Form_Unload();
    void Form_KeyPress(int keyAscii);
    void mnuExit_Click();

    // Drive box.
    void cboCDDrive_DropDown();
    void cboCDDrive_Click();

    // Transport.
    void imgPlay_Click();
    void imgPause_Click();
    void imgStop_Click();
    void imgForward_Click();
    void imgBack_Click();
    void mnuPlay_Click() { imgPlay_Click(); }
    void mnuPause_Click() { imgPause_Click(); }
    void mnuStop_Click() { imgStop_Click(); }
    void mnuFwd_Click() { imgForward_Click(); }
    void mnuBack_Click() { imgBack_Click(); }
    void cboCurrentTrack_Click();
    void cboCurrentTrack_DropDown();
    void imgPlay_MouseDown();
    void imgPlay_MouseUp();
    void imgPause_MouseDown();
    void imgPause_MouseUp();
    void imgStop_MouseDown();
    void imgStop_MouseUp();
    void imgForward_MouseDown();
    void imgForward_MouseUp();
    void imgBack_MouseDown();
    void imgBack_MouseUp();

    // Timers.
    void tmrTime_Timer();
    void tmrCDCheck_Timer();

    // Lookup.
    void lblCDDB_Click();

    // Tray.
    void trayMessage(std::uint32_t mouseMessage);
    void trayHostChanged(bool present);
    void Form_Resize();
    void mnuShow_Click();
    void mnuSysTrayExit_Click();
    void mnuTrackList_Click(Integer index);

    // Dialogs.
    void mnuPref_Click();
    void mnuCheckUpdate_Click();
    void mnuAbout_Click();
    void mnuHelpClick_Click();

    // What the skin sets on this window.
    SkinTargets skinTargets() override;

    // True once Form_Unload has run.
    bool unloaded() const { return m_unloaded; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenus();
    void connectEvents();
    // Runs a timer tick unless another tick (or what it called) is still running.
    void runTick(void (frmCD::*tick)());
    // Says why on stderr and, on a screen, in a box; then ends the process.
    [[noreturn]] void cannotStart(const QString& reason);
    // The player as after Stop, its clock and bar at zero, for a drive that
    // stopped without one (its disc left, another drive was chosen).
    void standStopped();

    bool m_inTick = false;
    const QEvent* m_lastKey = nullptr;
    quint64 m_lastKeyTime = 0;
    bool m_actingOnKey = false;
    bool m_unloaded = false;
    bool m_painted = false;
};

// An event handler without a failure handler of its own: a failure is
// reported as the runtime would, and the program ends.
void unhandled(Application& app, const std::function<void()>& handler);

} // namespace vornap
