#include "support/apptest.h"
#include "support/fakefreedb.h"
#include "tray/systray.h"
#include "tray/trackmenu.h"
#include "tray/traytip.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// The main window in tray mode, with a lookup whose titles the test sets.
struct Tray : ::testing::Test, AppFixture {
    FakeFreeDb* titles = nullptr;
    void SetUp() override {
        freedb = std::make_unique<FakeFreeDb>();
        titles = static_cast<FakeFreeDb*>(freedb.get());
        form();
        app.v.sSysTrayOnly = QStringLiteral("1");
        app.v.sIconNum = QStringLiteral("102");
    }
    void withTitles(QStringList list) {
        titles->titles = std::move(list);
        app.v.bCDDBFound = true;
    }
    // The track menu as a watcher tick serves it; a new disc asks for it first.
    QStringList trackMenu(bool newDisc = true) {
        if (newDisc)
            app.v.bDeleteMenuItems = app.v.bLoadMenuItems = true;
        DeleteMenuItems(app);
        LoadMenuItems(app);
        QStringList captions;
        for (std::size_t i = 1; i < form().mnuTrackList.size(); ++i)
            captions << form().mnuTrackList[i]->text();
        return captions;
    }
};

} // namespace

// The tip names the disc's state; one of 64 characters or more fills the field
// without a NUL. Window and tray show the same icon.
TEST_F(Tray, TheIconsTipFollowsTheDisc) {
    AddSysTrayIcon(app);
    app.v.bCDInDrive = true;
    app.v.iCurrentTrack = 3;
    AddSysTrayIcon(app);
    withTitles({"One", "Two", "Three"});
    AddSysTrayIcon(app);
    QByteArrayList tips;
    for (const auto& call : tp.tray->calls)
        tips << QByteArray(call.data.szTip.data(), qstrnlen(call.data.szTip.data(), 64));
    ASSERT_EQ(tips, QByteArrayList({"No CD!", "3.", "3. Three"}));
    EXPECT_EQ(form().windowIcon().availableSizes(), tp.tray->calls[2].data.hIcon.availableSizes());

    platform::NotifyIconData d;
    SetTrayTip(d, QString(70, 'x') + QChar(0));
    EXPECT_EQ(QByteArray(d.szTip.data(), 64), QByteArray(64, 'x')); // no NUL, no more
}

// The track menu lists "Track n" or the lookup's titles (as many as it
// found), built only in tray mode: a request made meanwhile waits. A track
// chosen while stopped becomes the current one and waits for Play.
TEST_F(Tray, TheTrackMenuListsTracksByNumberOrTitle) {
    app.v.iTotalTracks = 12;
    app.v.sSysTrayOnly = QStringLiteral("0");
    EXPECT_EQ(trackMenu(), QStringList());
    app.v.sSysTrayOnly = QStringLiteral("1");
    EXPECT_EQ(trackMenu(false).size(), 12); // "Track n": the tray script reads them
    app.v.iElapsedSec = 30;
    tp.mci->commands.clear();
    form().mnuTrackList[5]->trigger();
    EXPECT_EQ(std::tuple(app.v.iCurrentTrack, form().cboCurrentTrack->text(), app.v.iElapsedSec),
              std::tuple(5, QString("5"), 0));
    EXPECT_EQ(std::count(tp.mci->commands.begin(), tp.mci->commands.end(), "play cd1 from 5"), 0);
    withTitles({"Alpha", "Beta", "Gamma"});
    EXPECT_EQ(trackMenu(), (QStringList{"Alpha", "Beta", "Gamma"}));
}

// Titles come from the lookup: the menu shows them as they are, "&" and
// all. Chosen while playing, a title plays at once and the track box shows
// it from its start.
TEST_F(Tray, TitlesShowAsTheyAreInTheMenuAndFromTheirStartInTheTrackBox) {
    frmCD& f = form();
    f.show();
    withTitles(
        {"Rock & Roll", "Walk Away from the Caf\u00e9 and Down the Long Road Home Again", "&&&"});
    trackMenu();
    tp.tray->sendMouseMessage(platform::WM_RBUTTONUP);
    ASSERT_TRUE(f.mnuSysTrayMenu->isVisible());
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(f.mnuSelTrack);
    ASSERT_NE(list, nullptr);
    QStringList shown;
    for (int i = 1; i < list->childCount(); ++i) // past the designed "-"
        shown << list->child(i)->text(QAccessible::Name);
    EXPECT_EQ(shown, titles->titles) << shown.join(" | ").toStdString();
    f.mnuSysTrayMenu->hide();

    app.v.bPlaying = true; // a journey's drive would not show a play that never came
    tp.mci->commands.clear();
    f.mnuTrackList[2]->trigger();
    ASSERT_GE(tp.mci->commands.size(), 2u);
    EXPECT_EQ(tp.mci->commands[tp.mci->commands.size() - 2], "stop cd1 wait");
    EXPECT_EQ(tp.mci->commands.back(), "play cd1 from 2");
    const QString chosen = f.cboCurrentTrack->text();
    ASSERT_EQ(chosen, "2. - " + titles->titles[1]);
    QLineEdit* edit = f.cboCurrentTrack->lineEdit();
    ASSERT_GT(edit->fontMetrics().horizontalAdvance(chosen), edit->width());
    // Its left part shows what the title's first words alone would show.
    const auto left = [edit, width = edit->fontMetrics().horizontalAdvance(chosen.left(10))] {
        return edit->grab().toImage().copy(0, 0, width, edit->height());
    };
    const QImage shownStart = left();
    f.cboCurrentTrack->setText(chosen.left(20));
    EXPECT_EQ(shownStart, left());
}
