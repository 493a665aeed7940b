#include "support/apptest.h"

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
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
