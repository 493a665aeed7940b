#include "about/frmabout.h"
#include "freedb/frmemail.h"
#include "freedb/frmsetproxy.h"
#include "options/frmpref.h"
#include "options/options.h"
#include "options/registry.h"
#include "skins/dirlistbox.h"
#include "skins/frmselectskindirectory.h"
#include "support/apptest.h"
#include "support/files.h"
#include "support/modalscript.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace vornap;
using namespace vornap::test;

namespace {
QStringList texts(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
} // namespace

// The main window as a user meets it: captions, menus, keys.
class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void captionsAndToolTips() {
        AppFixture fx;
        frmCD& f = fx.load();
        QCOMPARE(f.windowTitle(), QStringLiteral("Vornap"));
        const QList<std::pair<QString, const char*>> shown{
            {f.lblCDDriveLabel->text(), "CD Drive:"},
            {f.cboSetFocus->text(), "Combo1"},
            {f.cboCurrentTrack->toolTip(), "Current Track Being Played"},
            {f.lblTime->toolTip(), "Timer"},
            {f.lblTotTrackTimeLabel->text(), "Total Track Playing Time"},
            {f.lblTotTrackTime->toolTip(), "Total Playing Time of the Current Track"},
            {f.lblTotTracksLabel->text(), "Total Tracks On CD"},
            {f.lblTotTracks->toolTip(), "Total Number of Tracks on the Current CD"},
            {f.lblArtist->toolTip(), "Artist's Name"},
            {f.lblAlbum->toolTip(), "Album Name"},
            {f.lblCDDB->text(), "Query CDDB"},
            {f.lblCurrentTrackLabel->text(), "Current Track"},
            {f.lblTimeLabel->text(), "Time"},
            {f.lblArtistLabel->text(), "Artist"},
            {f.lblAlbumLabel->text(), "Album"}};
        for (const auto& [text, expected] : shown)
            QCOMPARE(text, QString::fromUtf8(expected));
        QVERIFY(!f.lblCDDB->isVisibleTo(&f));
        for (QWidget* w : {static_cast<QWidget*>(f.lblCDDriveLabel),
                           static_cast<QWidget*>(f.lblTime), static_cast<QWidget*>(f.cboCDDrive)})
            QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));
        // Titles from a disc's lookup are never markup.
        f.lblArtist->setText(QStringLiteral("<b>x</b><img src=y>"));
        QCOMPARE(f.lblArtist->textFormat(), Qt::PlainText);
        QCOMPARE(f.lblAlbum->textFormat(), Qt::PlainText);
    }

    void menusOfTheWindowAndTheTray() {
        AppFixture fx;
        frmCD& f = fx.load();
        QCOMPARE(texts(f.menuBar()->actions()), (QStringList{"&File", "&Help"}));
        QCOMPARE(texts(f.mnuFile->actions()), (QStringList{"&Preferences", "-", "E&xit"}));
        QCOMPARE(texts(f.mnuHelp->actions()),
                 (QStringList{"&Help", "&Check for Update", "-", "&About"}));
        QCOMPARE(texts(f.mnuSysTrayMenu->actions()),
                 (QStringList{"&Show", "&Controls", "-", "E&xit"}));
        QCOMPARE(f.mnuSysTrayMenu->defaultAction(), f.mnuShow);
        QCOMPARE(texts(f.mnuControls->actions()),
                 (QStringList{"&Play", "P&ause", "&Stop", "&Forward", "&Back", "S&elect Track"}));
        QCOMPARE(f.mnuTrackList.size(), std::size_t(1));
    }

    void lowerCasePAndTheHelpMenuOpenTheHelpFile() {
        AppFixture fx;
        frmCD& f = fx.load();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::keyClick(&f, 'P');
        QCOMPARE(fx.tp.help->opened.size(), 0);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &f, 'p');
        QCOMPARE(fx.tp.help->opened, QStringList{fx.path("vornap_help.html")});
        QCOMPARE(fx.tp.help->commands.at(0), 0u);
        QTest::keyClick(&f, 'q');
        f.mnuHelpClick->trigger();
        QCOMPARE(fx.tp.help->opened, QStringList(2, fx.path("vornap_help.html")));
    }

    // A first run (play on start, FreeDB and the start-up query on, no
    // address yet) turns FreeDB on as a new user does: OK refuses, Email,
    // the proxy, a skin applied in between, which loads the small dialogs
    // hidden; then About and the update check. Every dialog goes on close.
    // The proxy an earlier version stored (no on/off value) is shown and
    // kept, then switched off, which keeps its address.
    void firstRunThroughEveryDialogOfThePreferencesAndTheHelpMenu() {
        AppFixture fx;
        writeOptionsFile(
            fx.dir.path(),
            {.playOnStart = "1", .useCDDB = "1", .cddbOnStart = "1", .server = "gnudb.gnudb.org"});
        RegisterAboutForm(fx.app);
        RegisterEmailForm(fx.app);
        RegisterProxyForm(fx.app);
        registerPreferencesDialog(fx.app);
        RegisterSkinChooserForm(fx.app);
        for (const auto& [name, text] :
             {std::pair{"ProxyAddress", "old.proxy"}, {"ProxyPort", "3128"}})
            SetRegString(fx.app, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, name, text);
        frmCD& f = fx.load();
        f.show();

        QStringList proxyShown;
        const auto readProxy = [&proxyShown](QWidget* w) {
            auto* d = qobject_cast<frmSetProxy*>(w);
            proxyShown << d->txtProxyAddress->text() + ':' + d->txtProxyHTTPPort->text() +
                              (d->chkUseProxy->isChecked() ? " on" : " off");
        };
        const QString base = fx.path("Skins/Base");
        ModalScript script({
            {"Preferences", "&OK"}, // refused: no address yet
            {"Preferences", "Email"},
            {"Email Address", "&Cancel"},
            {"Preferences", "Set &Proxy..."},
            {"Set Proxy Server", "&OK", readProxy},
            {"Preferences", "Set &Proxy..."},
            {"Set Proxy Server", "&OK",
             [](QWidget* w) { qobject_cast<frmSetProxy*>(w)->chkUseProxy->click(); }},
            {"Preferences", "Select &Skin Directory"},
            {"Select Skin Directory", "&Apply Skin",
             [base](QWidget* w) { qobject_cast<frmSelectSkinDirectory*>(w)->Dir1->setPath(base); }},
            {"Preferences", "Email"},
            {"Email Address", "&OK",
             [](QWidget* w) {
                 auto* address = w->findChild<QLineEdit*>();
                 address->clear();
                 QTest::keyClicks(address, "me@example.org");
             }},
            {"Preferences", "Set &Proxy..."},
            {"Set Proxy Server", "&Cancel", readProxy},
            {"Preferences", "&OK"},
            {"About Vornap", "&OK"},
            {"Checking for Update...", "&Cancel"},
        });
        f.mnuPref->trigger();
        f.mnuAbout->trigger();
        f.mnuCheckUpdate->trigger();
        QCOMPARE(script.missed(), QStringList());

        QCOMPARE(fx.tp.messageBox->boxes.size(), std::size_t(1));
        QCOMPARE(fx.tp.messageBox->boxes[0].caption, QStringLiteral("Enter Your Email"));
        QCOMPARE(storedEmailAddress(fx.app), QStringLiteral("me@example.org"));
        QCOMPARE(fx.app.v.sUseCDDB, QStringLiteral("1"));
        QCOMPARE(fx.app.v.sSkinDir, base + '/');
        QCOMPARE(proxyShown, (QStringList{"old.proxy:3128 on", "old.proxy:3128 off"}));
        const ProxySetting proxy = StoredProxy(*fx.app.platform.registry);
        QCOMPARE(proxy.address + ':' + proxy.port, QStringLiteral("old.proxy:3128"));
        QVERIFY(!proxy.inUse);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<QWidget>* form :
             {&fx.app.frmPref, &fx.app.frmEmail, &fx.app.frmSetProxy,
              &fx.app.frmSelectSkinDirectory, &fx.app.frmAbout, &fx.app.frmUpdate})
            QVERIFY(form->isNull());
        QVERIFY(f.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
