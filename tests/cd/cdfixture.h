#pragma once

#include "app/frmcd.h"
#include "platform/discimage/discimage.h"
#include "platform/mci/mcidevice.h"
#include "support/fakefreedb.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/skins.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>

namespace vornap::test {

namespace di = platform::discimage;
using Mode = platform::DrivePlayer::Mode;

// Disc-root listings by drive root; a root not set lists empty.
struct FakeListings final : platform::DiscRootListing {
    std::optional<QStringList> listRoot(const std::string& root) override {
        const auto it = listings.find(root);
        return it == listings.end() ? std::optional<QStringList>(QStringList()) : it->second;
    }
    std::map<std::string, std::optional<QStringList>> listings;
};

// The main window over the recording doubles, not loaded: each test puts the
// state it starts from in place.
struct CdUnit : ::testing::Test {
    CdUnit() : tp(dir.path()), app(tp.platform) {
        auto fd = std::make_unique<FakeFreeDb>();
        auto l = std::make_unique<FakeListings>();
        drives = l.get();
        tp.platform.discRoot = std::move(l);
        f = std::make_unique<frmCD>(app, std::move(fd));
        Variables& v = app.v;
        v.sCDDrive = QStringLiteral("D:\\");
        v.sPlayOnStart = v.sUseCDDB = v.sCDDBOnStart = v.sSysTrayOnly = QStringLiteral("0");
        v.bStopped = true;
        v.iCurrentTrack = 1;
    }
    void disc(int tracks) {
        tp.mci->replies["status cd1 number of tracks wait"] = {std::to_string(tracks), 0};
        drives->listings["D:\\"] = QStringList{"Track01.cda", "Track02.cda"};
    }
    std::vector<std::string> sent() { return std::exchange(tp.mci->commands, {}); }

    QTemporaryDir dir;
    TestPlatform tp;
    Application app;
    FakeListings* drives;
    std::unique_ptr<frmCD> f;
};

// Tracks of the given whole seconds, silent (quick to write).
inline di::DiscSpec audioDisc(std::vector<int> seconds) {
    di::DiscSpec spec;
    for (int s : seconds)
        spec.tracks.push_back(di::TrackSpec::audio(di::seconds(s)));
    return spec;
}

inline di::DiscSpec dataDisc() {
    return {{di::TrackSpec::dataTrack(di::seconds(4), {{"README.TXT", "hello"}})}};
}

// The player over the real device layer: virtual drives whose trays are
// directories, generated discs, a manual clock.
struct Player : ::testing::Test {
    Player()
        : tp(dir.path()), app(tp.platform), cd(platform::makeTestCdDevices(dir.path(), clock)) {
        installSkin(dir.path());
        cd.installInto(tp.platform);
        tp.mci = nullptr; // the recording device is gone
        auto fd = std::make_unique<FakeFreeDb>();
        freedb = fd.get();
        f = std::make_unique<frmCD>(app, std::move(fd));
    }

    // Empty CD drives at the letters.
    void drives(const char* letters) {
        for (; *letters; ++letters) {
            QDir().mkpath(trayOf(*letters));
            cd.table->addVirtualDrive(*letters, trayOf(*letters));
        }
    }
    void insert(char letter, const di::DiscSpec& spec) {
        QString error;
        ASSERT_TRUE(di::writeBinCue(spec, trayOf(letter) + "/disc.cue", &error))
            << error.toStdString();
    }
    void eject(char letter) {
        QDir tray(trayOf(letter));
        for (const QString& name : tray.entryList(QDir::Files))
            tray.remove(name);
    }
    // Start-up with the disc in drive E:, the drive the options name.
    void startWith(const di::DiscSpec& spec, OptionsValues o = {}) {
        drives("E");
        insert('E', spec);
        o.drive = QStringLiteral("E:\\");
        writeOptionsFile(dir.path(), o);
        load();
    }
    // Start-up with the timers held still: each test drives every tick.
    frmCD& load() {
        f->Form_Load();
        f->tmrCDCheck->stop();
        return *f;
    }
    void tick() { f->tmrCDCheck_Timer(); }
    // Seconds of wall time: the drive moves on, the position timer ticks
    // when it runs.
    void seconds(int n) {
        for (int i = 0; i < n; ++i) {
            clock.advanceMs(1000);
            if (f->tmrTime->isActive())
                f->tmrTime_Timer();
        }
    }
    QStringList entries(const QComboBox* box) const {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    Mode mode(char letter) {
        return cd.device->player(*cd.table->find(std::string(1, letter) + ":\\")).mode();
    }
    QString trayOf(char letter) const { return dir.filePath(QStringLiteral("tray") + letter); }

    QTemporaryDir dir;
    platform::ManualClock clock;
    TestPlatform tp;
    Application app;
    platform::CdDevices cd;
    FakeFreeDb* freedb;
    std::unique_ptr<frmCD> f;
};

} // namespace vornap::test
