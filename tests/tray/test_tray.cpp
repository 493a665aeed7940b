#include "app/vberror.h"
#include "support/apptest.h"
#include "support/fakefreedb.h"
#include "support/files.h"
#include "tray/icons.h"
#include "tray/systray.h"
#include "tray/trackmenu.h"
#include "tray/traytip.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

std::string tip(const platform::NotifyIconData& d) {
    return std::string(d.szTip.data(), 64);
}

std::string padded(std::string text) {
    text.resize(64, ' ');
    return text;
}

struct Tray : ::testing::Test, AppFixture {
    FakeFreeDb* titles = nullptr;
    void SetUp() override {
        auto f = std::make_unique<FakeFreeDb>();
        titles = f.get();
        freedb = std::move(f);
        form();
        app.v.sSysTrayOnly = QStringLiteral("1");
        app.v.sIconNum = QStringLiteral("102");
    }
    QStringList trackItems() {
        QStringList captions;
        for (std::size_t i = 1; i < form().mnuTrackList.size(); ++i)
            captions << form().mnuTrackList[i]->text();
        return captions;
    }
};

} // namespace

TEST_F(Tray, AddingTheIconFillsTheWholeRecordAndTheTipFollowsTheDisc) {
    AddSysTrayIcon(app);
    ASSERT_EQ(tp.tray->calls.size(), 1u);
    const auto& call = tp.tray->calls[0];
    EXPECT_EQ(call.message, platform::NIM_ADD);
    EXPECT_EQ(call.data.cbSize, 88u);
    EXPECT_EQ(call.data.hWnd, &form());
    EXPECT_EQ(call.data.uID, 0u);
    EXPECT_EQ(call.data.uFlags, 7u);
    EXPECT_EQ(call.data.uCallbackMessage, 0x200u);
    EXPECT_FALSE(call.data.hIcon.isNull());
    EXPECT_EQ(tip(call.data), padded(std::string("No CD!") + '\0'));
    EXPECT_EQ(form().windowIcon().availableSizes(), call.data.hIcon.availableSizes());

    // The tip follows the disc and the titles.
    app.v.bCDInDrive = true;
    app.v.iCurrentTrack = 3;
    AddSysTrayIcon(app);
    EXPECT_EQ(tip(tp.tray->calls.back().data), padded(std::string("3.") + '\0'));

    titles->titles = {"One", "Two", "Three"};
    app.v.bCDDBFound = true;
    AddSysTrayIcon(app);
    EXPECT_EQ(tip(tp.tray->calls.back().data), padded(std::string("3. Three") + '\0'));
}

TEST_F(Tray, ATipOfSixtyFourOrMoreFillsTheFieldWithoutANul) {
    platform::NotifyIconData d;
    SetTrayTip(d, QString(70, 'x') + QChar(0));
    EXPECT_EQ(tip(d), std::string(64, 'x'));
    SetTrayTip(d, QString(63, 'y') + QChar(0));
    EXPECT_EQ(tip(d), std::string(63, 'y').append(1, '\0'));
}

TEST_F(Tray, NothingHappensWithTrayModeOff) {
    app.v.sSysTrayOnly = QStringLiteral("0");
    AddSysTrayIcon(app);
    form().setWindowState(Qt::WindowMinimized);
    form().Form_Resize();
    EXPECT_TRUE(tp.tray->calls.empty());
    EXPECT_TRUE(tp.windowStyle->writes.empty());
}

TEST_F(Tray, RestoreRunsTwiceAfterStartUpAndThreeTimesAfterAHide) {
    frmCD& f = form();
    f.iShowCount = 0;
    f.mnuShow_Click();
    EXPECT_EQ(tp.windowStyle->writes.size(), 2u);
    EXPECT_EQ(f.iShowCount, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(tp.windowStyle->exStyle & platform::WS_EX_APPWINDOW, 0);

    tp.windowStyle->writes.clear();
    f.setWindowState(Qt::WindowMinimized); // the window's resize event hides it
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.iShowCount, -1);
    EXPECT_EQ(tp.windowStyle->writes.size(), 1u);

    tp.windowStyle->writes.clear();
    tp.tray->sendMouseMessage(platform::WM_LBUTTONDBLCLK);
    EXPECT_EQ(tp.windowStyle->writes.size(), 3u);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.isMinimized());
    EXPECT_EQ(f.iShowCount, 0);
}

// Without a tray host an icon cannot be seen, so the window keeps (or gets
// back) its taskbar button and minimises to it; a host that comes takes it.
TEST_F(Tray, WithoutATrayHostTheWindowKeepsItsTaskbarButton) {
    frmCD& f = form();
    const auto appWindow = [&] {
        return (tp.windowStyle->exStyle & platform::WS_EX_APPWINDOW) != 0;
    };
    tp.tray->present = false;
    writeOptionsFile(dir.path(), {.trayOnly = QStringLiteral("1")});
    f.Form_Load();
    f.tmrCDCheck->stop();
    EXPECT_TRUE(appWindow());
    f.show();
    f.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(f.isVisible());
    EXPECT_NE(f.iShowCount, -1);
    f.mnuShow_Click();
    EXPECT_TRUE(appWindow());

    struct Step {
        const char* what;
        bool hideFirst;
        bool host;
        bool visible;
        bool appWindow;
    };
    for (const Step& step : {
             Step{"a host comes while the window is shown", false, true, true, false},
             Step{"the host goes while the window is shown", false, false, true, true},
             Step{"a host comes again", false, true, true, false},
             Step{"the host goes while the window is in the tray", true, false, true, true},
         }) {
        SCOPED_TRACE(step.what);
        if (step.hideFirst) {
            f.setWindowState(Qt::WindowMinimized);
            ASSERT_FALSE(f.isVisible());
        }
        tp.tray->setHost(step.host);
        EXPECT_EQ(f.isVisible(), step.visible);
        EXPECT_FALSE(f.isMinimized());
        EXPECT_EQ(appWindow(), step.appWindow);
    }
    f.close();
}

TEST_F(Tray, ARightClickOpensTheMenuWithShowAsDefaultOtherMessagesDoNothing) {
    frmCD& f = form();
    tp.tray->sendMouseMessage(0x201);
    EXPECT_FALSE(f.mnuSysTrayMenu->isVisible());
    EXPECT_FALSE(f.isVisible());
    tp.tray->sendMouseMessage(platform::WM_RBUTTONUP);
    EXPECT_TRUE(f.mnuSysTrayMenu->isVisible());
    EXPECT_EQ(f.mnuSysTrayMenu->defaultAction(), f.mnuShow);
    f.mnuSysTrayMenu->hide();
}

TEST_F(Tray, TheTrackMenuListsTracksByNumberOrByTitleWhenAsked) {
    // Requests wait while tray mode is off.
    app.v.sSysTrayOnly = QStringLiteral("0");
    app.v.iTotalTracks = 12;
    app.v.bDeleteMenuItems = app.v.bLoadMenuItems = true;
    DeleteMenuItems(app);
    LoadMenuItems(app);
    EXPECT_TRUE(trackItems().isEmpty());
    app.v.sSysTrayOnly = QStringLiteral("1");
    DeleteMenuItems(app);
    LoadMenuItems(app);
    ASSERT_EQ(trackItems().size(), 12);
    EXPECT_EQ(trackItems().front(), "Track 1");
    EXPECT_EQ(trackItems().back(), "Track 12");
    EXPECT_FALSE(app.v.bDeleteMenuItems);
    EXPECT_FALSE(app.v.bLoadMenuItems);
    EXPECT_TRUE(form().mnuTrackList[0]->isVisible());
    app.v.iTotalTracks = 9; // without a request a new count changes nothing
    DeleteMenuItems(app);
    LoadMenuItems(app);
    EXPECT_EQ(trackItems().size(), 12);

    // A lookup whose track count differs from the device's.
    titles->titles = {"Alpha", "Beta", "Gamma"};
    app.v.bCDDBFound = true;
    app.v.bDeleteMenuItems = app.v.bLoadMenuItems = true;
    DeleteMenuItems(app);
    LoadMenuItems(app);
    EXPECT_EQ(trackItems(), (QStringList{"Alpha", "Beta", "Gamma"}));
}

TEST_F(Tray, ChoosingATrackFromTheMenu) {
    frmCD& f = form();
    app.v.iTotalTracks = 6;
    app.v.bDeleteMenuItems = app.v.bLoadMenuItems = true;
    DeleteMenuItems(app);
    LoadMenuItems(app);

    app.v.bPlaying = false;
    app.v.iElapsedSec = 30;
    tp.mci->commands.clear();
    f.mnuTrackList[5]->trigger();
    EXPECT_EQ(app.v.iCurrentTrack, 5);
    EXPECT_EQ(f.cboCurrentTrack->text(), "5");
    EXPECT_EQ(app.v.iElapsedSec, 0);
    ASSERT_FALSE(tp.mci->commands.empty());
    EXPECT_EQ(tp.mci->commands.front(), "set cd1 time format tmsf");
    EXPECT_EQ(std::count(tp.mci->commands.begin(), tp.mci->commands.end(), "play cd1 from 5"), 0);

    titles->titles = {"a", "b", "c", "d", "e", "Sixth"};
    app.v.bCDDBFound = true;
    app.v.bPlaying = true;
    tp.mci->commands.clear();
    f.mnuTrackList_Click(6);
    EXPECT_EQ(f.cboCurrentTrack->text(), "6. - Sixth");
    ASSERT_GE(tp.mci->commands.size(), 3u);
    EXPECT_EQ(tp.mci->commands[tp.mci->commands.size() - 2], "stop cd1 wait");
    EXPECT_EQ(tp.mci->commands.back(), "play cd1 from 6");

    tp.mci->commands.clear();
    f.mnuTrackList_Click(0);
    EXPECT_EQ(tp.mci->commands, (std::vector<std::string>{"set cd1 time format tmsf"}));
    EXPECT_EQ(app.v.iCurrentTrack, 6);
}

// Titles come from the lookup: what the menu and the track box show is the
// title as it is, from its start.
TEST_F(Tray, TitlesShowAsTheyAreInTheMenuAndFromTheirStartInTheTrackBox) {
    frmCD& f = form();
    f.show();
    titles->titles = {"Rock & Roll",
                      "Walk Away from the Caf\u00e9 and Down the Long Road Home Again", "&&&"};
    app.v.bCDDBFound = true;
    app.v.bDeleteMenuItems = app.v.bLoadMenuItems = true;
    DeleteMenuItems(app);
    LoadMenuItems(app);

    tp.tray->sendMouseMessage(platform::WM_RBUTTONUP);
    ASSERT_TRUE(f.mnuSysTrayMenu->isVisible());
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(f.mnuSelTrack);
    ASSERT_NE(list, nullptr);
    QStringList shown;
    for (int i = 1; i < list->childCount(); ++i) // past the designed "-"
        shown << list->child(i)->text(QAccessible::Name);
    EXPECT_EQ(shown, titles->titles) << shown.join(" | ").toStdString();
    f.mnuSysTrayMenu->hide();

    f.mnuTrackList[2]->trigger();
    const QString chosen = f.cboCurrentTrack->text();
    ASSERT_TRUE(chosen.endsWith("Home Again"));
    // The box is narrower than the title: its left part shows what the
    // title's first words alone would show.
    const auto left = [&f, &chosen] {
        QLineEdit* edit = f.cboCurrentTrack->lineEdit();
        const int width = edit->fontMetrics().horizontalAdvance(chosen.left(10));
        return edit->grab().toImage().copy(0, 0, width, edit->height());
    };
    ASSERT_GT(f.cboCurrentTrack->fontMetrics().horizontalAdvance(chosen),
              f.cboCurrentTrack->lineEdit()->width());
    const QImage shownStart = left();
    f.cboCurrentTrack->setText(chosen.left(20));
    EXPECT_EQ(shownStart, left());
}

TEST(TrayIcons, SizesAndColourDepthsOfTheResources) {
    for (int n : {101, 106, 1})
        EXPECT_GE(iconImage(n).width(), 32) << n;
    for (int n = 102; n <= 105; ++n)
        EXPECT_TRUE(LoadResPicture(n).availableSizes().contains(QSize(16, 16))) << n;
    EXPECT_LE(iconImage(102).colorCount(), 17); // sixteen colours and transparency
    EXPECT_EQ(iconImage(102).format(), QImage::Format_Indexed8);
    EXPECT_NE(iconImage(103), iconImage(104));
    // Larger renditions of the same picture for today's trays; a title bar
    // still gets the designed size.
    for (int n = 101; n <= 106; ++n) {
        const QIcon icon = LoadResPicture(n);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(48, 48))) << n;
        const QSize designed = iconImage(n).size();
        EXPECT_EQ(icon.pixmap(designed).toImage().convertToFormat(QImage::Format_ARGB32),
                  iconImage(n).convertToFormat(QImage::Format_ARGB32))
            << n;
    }
    const QImage large = LoadResPicture(102).pixmap(QSize(48, 48)).toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < large.height(); ++y)
        for (int x = 0; x < large.width(); ++x)
            colours.insert(large.pixel(x, y));
    EXPECT_LE(colours.size(), 17); // still sixteen colours and transparency
    EXPECT_FALSE(isIconResource(107));
    EXPECT_THROW(LoadResPicture(100), RuntimeError);
}
