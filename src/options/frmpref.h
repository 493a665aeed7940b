#pragma once

#include "app/application.h"
#include "app/widgets.h"
#include "skins/skinnedform.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace vornap {

// The preferences dialog.
class frmPref : public QDialog, public SkinnedForm {
    Q_OBJECT
public:
    explicit frmPref(Application& app, QWidget* parent = nullptr);

    Application& app;

    QCheckBox* chkSetAsDefault;
    QCheckBox* chkPlayOnStart;
    QGroupBox* fraSkins;
    PlainLabel* lblSkinDirLabel;
    PlainLabel* lblSkinDir;
    QPushButton* cmdSkinBrowse;
    QGroupBox* fraCDDB;
    QCheckBox* chkUseCDDB;
    PlainLabel* lblCDDBServerLabel;
    QComboBox* cboCDDBServer;
    QCheckBox* chkCDDBOnStartup;
    QPushButton* cmdEmail;
    QPushButton* cmdProxy;
    ImageBox* imgFreeDB;
    QGroupBox* fraSysTray;
    QCheckBox* chkSysTray;
    QLabel* ptrIconPreview;
    ImageBox* imgIconDown;
    ImageBox* imgIconUp;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    ImageBox* imgBackground;

    Integer iIconNum = 0;

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void chkPlayOnStart_Click();
    void chkUseCDDB_Click();
    void chkSysTray_Click();
    void imgIconDown_Click();
    void imgIconUp_Click();
    void imgFreeDB_Click();
    void cmdEmail_Click();
    void cmdProxy_Click();
    void cmdSkinBrowse_Click();

    SkinTargets skinTargets() override;

    // The program's own association texts.
    QString ownCommand() const;
    QString ownIcon() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void loadIcon(Integer number);
    void applyAssociation();

    // Whether the desktop had the player as its audio-CD handler at load.
    bool m_wasDefault = false;
    // Opens a dialog by name, modally over this one.
    void showDialog(const QString& name);
};

// The servers the "Use FreeDB" box offers, and those the load appends.
QStringList cddbServersOfTheCheckBox();
QStringList cddbServersOfTheLoad();

// Registers frmPref's factory and the main window's menu item.
void registerPreferencesDialog(Application& app);

} // namespace vornap
