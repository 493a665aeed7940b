#pragma once

#include "app/application.h"
#include "app/widgets.h"
#include "skins/skinnedform.h"

#include <QDialog>

class QPushButton;

namespace vornap {

// The program's version numbers, as the executable carries them.
struct VersionParts {
    int major;
    int minor;
    int revision;
};
VersionParts ProgramVersion();

// "Version 1.2" for revision 0, else the revision written straight after
// the minor number: "Version 1.23".
QString AboutVersionCaption(const VersionParts& version);

class frmAbout : public QDialog, public SkinnedForm {
    Q_OBJECT
public:
    explicit frmAbout(Application& app, QWidget* parent = nullptr,
                      VersionParts version = ProgramVersion());

    Application& app;

    ImageBox* imgBackground;
    PlainLabel* lblTitle;
    PlainLabel* lblVersion;
    PlainLabel* lblHelpLink;
    PlainLabel* lblWebSite;
    QPushButton* cmdOK;

    void Form_Load();
    void cmdOK_Click();
    void lblHelpLink_Click();
    void lblWebSite_Click();

    SkinTargets skinTargets() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openPage(const QString& path);
    VersionParts m_version;
};

// The box saying that the desktop could not open an address or file (no
// browser or viewer could be started, or the file is missing), which would
// otherwise pass without a word.
void ReportNotOpened(Application& app, QWidget* owner, const QString& target);

// Creates and loads the About box (which skins it) and keeps it in
// app.frmAbout; it is destroyed when closed.
frmAbout* LoadFrmAbout(Application& app);

// Registers how a skin change creates the About box.
void RegisterAboutForm(Application& app);

} // namespace vornap
