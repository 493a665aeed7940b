#pragma once

#include "cdfixture.h"
#include "platform/discimage/discimage.h"
#include "platform/mci/mcidevice.h"
#include "support/skins.h"

#include <QDir>
#include <chrono>
#include <thread>

namespace vornap::test {

namespace di = platform::discimage;

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

    void drive(char letter) {
        const QString tray = trayOf(letter);
        QDir().mkpath(tray);
        cd.table->addVirtualDrive(letter, tray);
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
    void writeOptions(const OptionsValues& o) { writeOptionsFile(dir.path(), o); }
    // Start-up with the disc in drive E:, the drive the options name.
    void startWith(const di::DiscSpec& spec, OptionsValues o = {}) {
        drive('E');
        insert('E', spec);
        o.drive = QStringLiteral("E:\\");
        writeOptions(o);
        load();
    }
    // Start-up with the timers held still: each test drives every tick.
    frmCD& load() {
        f->Form_Load();
        f->tmrCDCheck->stop();
        return *f;
    }
    void tick() { f->tmrCDCheck_Timer(); }
    // One second of wall time: the drive moves on, the position timer ticks
    // when it runs.
    void second() {
        clock.advanceMs(1000);
        if (f->tmrTime->isActive())
            f->tmrTime_Timer();
    }
    void seconds(int n) {
        for (int i = 0; i < n; ++i)
            second();
    }
    QStringList entries(const QComboBox* box) const {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    void choose(LockableComboBox* box, const QString& entry) {
        box->setCurrentIndex(box->findText(entry));
        box->setText(entry);
    }
    std::string ask(const std::string& command) {
        char buffer[31] = {};
        tp.platform.mci->sendString(command, buffer, 30);
        return buffer;
    }
    platform::DrivePlayer::Mode mode(char letter) {
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

using Mode = platform::DrivePlayer::Mode;

} // namespace vornap::test
