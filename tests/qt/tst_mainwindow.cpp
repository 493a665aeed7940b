#include "support/apptest.h"

#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace vornap;
using namespace vornap::test;

// The main window as a user meets it: captions, menus, keys.
class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void captionsAndToolTips() {
        AppFixture fx;
        frmCD& f = fx.load();
        QCOMPARE(f.windowTitle(), QStringLiteral("Vornap"));
        QCOMPARE(f.lblCDDriveLabel->text(), QStringLiteral("CD Drive:"));
        QCOMPARE(f.cboSetFocus->text(), QStringLiteral("Combo1"));
        QCOMPARE(f.cboCurrentTrack->toolTip(), QStringLiteral("Current Track Being Played"));
        QCOMPARE(f.lblTime->toolTip(), QStringLiteral("Timer"));
        QCOMPARE(f.lblTotTrackTimeLabel->text(), QStringLiteral("Total Track Playing Time"));
        QCOMPARE(f.lblTotTrackTime->toolTip(),
                 QStringLiteral("Total Playing Time of the Current Track"));
        QCOMPARE(f.lblTotTracksLabel->text(), QStringLiteral("Total Tracks On CD"));
        QCOMPARE(f.lblTotTracks->toolTip(),
                 QStringLiteral("Total Number of Tracks on the Current CD"));
        QCOMPARE(f.lblArtist->toolTip(), QStringLiteral("Artist's Name"));
        QCOMPARE(f.lblAlbum->toolTip(), QStringLiteral("Album Name"));
        QCOMPARE(f.lblCDDB->text(), QStringLiteral("Query CDDB"));
        QVERIFY(!f.lblCDDB->isVisibleTo(&f));
        QCOMPARE(f.lblCurrentTrackLabel->text(), QStringLiteral("Current Track"));
        QCOMPARE(f.lblTimeLabel->text(), QStringLiteral("Time"));
        QCOMPARE(f.lblArtistLabel->text(), QStringLiteral("Artist"));
        QCOMPARE(f.lblAlbumLabel->text(), QStringLiteral("Album"));
        const QList<QWidget*> controls{f.lblCDDriveLabel, f.lblTime, f.lblAlbum, f.cboCDDrive,
                                       f.cboCurrentTrack};
        for (QWidget* w : controls)
            QCOMPARE(w->font().family(), QStringLiteral("MS Sans Serif"));
    }

    void menusOfTheWindowAndTheTray() {
        AppFixture fx;
        frmCD& f = fx.load();
        QCOMPARE(f.mnuFile->title(), QStringLiteral("&File"));
        QCOMPARE(f.mnuPref->text(), QStringLiteral("&Preferences"));
        QVERIFY(f.mnuFileSep->isSeparator());
        QCOMPARE(f.mnuExit->text(), QStringLiteral("E&xit"));
        QCOMPARE(f.mnuHelp->title(), QStringLiteral("&Help"));
        const QList<QAction*> help = f.mnuHelp->actions();
        QCOMPARE(help.size(), 4);
        QCOMPARE(help.at(0)->text(), QStringLiteral("&Help"));
        QCOMPARE(help.at(1)->text(), QStringLiteral("&Check for Update"));
        QVERIFY(help.at(2)->isSeparator());
        QCOMPARE(help.at(3)->text(), QStringLiteral("&About"));
        const auto barMenus = f.menuBar()->actions();
        QCOMPARE(barMenus.size(), 2);
        QVERIFY(!barMenus.contains(f.mnuSysTrayMenu->menuAction()));
        QCOMPARE(f.mnuSysTrayMenu->defaultAction(), f.mnuShow);
        QCOMPARE(f.mnuShow->text(), QStringLiteral("&Show"));
        QCOMPARE(f.mnuControls->title(), QStringLiteral("&Controls"));
        QStringList controls;
        for (QAction* a : f.mnuControls->actions())
            controls << a->text();
        QCOMPARE(controls,
                 (QStringList{"&Play", "P&ause", "&Stop", "&Forward", "&Back", "S&elect Track"}));
        const QList<QAction*> tray = f.mnuSysTrayMenu->actions();
        QCOMPARE(tray.size(), 4);
        QCOMPARE(tray.at(1), f.mnuControls->menuAction());
        QVERIFY(tray.at(2)->isSeparator());
        QCOMPARE(f.mnuSelTrack->title(), QStringLiteral("S&elect Track"));
        QCOMPARE(f.mnuTrackList.size(), std::size_t(1));
        QCOMPARE(f.mnuSysTrayExit->text(), QStringLiteral("E&xit"));
    }

    void labelsNeverRenderMarkup() {
        AppFixture fx;
        frmCD& f = fx.load();
        f.lblArtist->setText(QStringLiteral("<b>x</b><img src=y>"));
        QCOMPARE(f.lblArtist->textFormat(), Qt::PlainText);
        QCOMPARE(f.lblAlbum->textFormat(), Qt::PlainText);
        QCOMPARE(f.lblTime->textFormat(), Qt::PlainText);
    }

    void lowerCasePOpensTheHelpFileUpperCaseDoesNot() {
        AppFixture fx;
        frmCD& f = fx.load();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::keyClick(&f, 'P');
        QCOMPARE(fx.tp.help->opened.size(), 0);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &f, 'p');
        QCOMPARE(fx.tp.help->opened.size(), 1);
        QCOMPARE(fx.tp.help->opened.at(0), fx.path("vornap_help.html"));
        QCOMPARE(fx.tp.help->commands.at(0), 0u);
        QTest::keyClick(&f, 'q');
        QCOMPARE(fx.tp.help->opened.size(), 1);
    }

    void theHelpMenuItemMakesTheSameCall() {
        AppFixture fx;
        frmCD& f = fx.load();
        f.mnuHelpClick->trigger();
        QCOMPARE(fx.tp.help->opened, QStringList{fx.path("vornap_help.html")});
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
