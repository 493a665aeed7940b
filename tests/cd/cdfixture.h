#pragma once

#include "app/frmcd.h"
#include "freedb/freedbcontrol.h"
#include "support/fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace vornap::test {

// A lookup component holding one answer, as after a successful query.
class FakeFreeDb final : public FreeDbControl {
public:
    String GetDiscID(const String& root) override {
        discIdAskedFor << root;
        return discId;
    }
    void setClientName(const String& name) override { clientName = name; }
    void setClientVersion(const String& version) override { clientVersion = version; }
    void setEmailAddress(const String&) override {}
    void setServerName(const String&) override {}
    Long QueryDisc(const String&) override { return Long(titles.size()); }
    String DiscArtist() const override { return artist; }
    String DiscTitle() const override { return album; }
    Long TrackCount() const override { return Long(titles.size()); }
    String TrackTitle(Integer track) const override { return titles.value(track - 1); }
    Integer TrackSeconds(Integer track) const override {
        return track >= 1 && track <= Integer(seconds.size()) ? seconds[std::size_t(track - 1)] : 0;
    }
    void setSubmitMode(Boolean) override {}
    void setOptionFlag(Boolean) override {}

    String discId = QStringLiteral("11005c03");
    String artist = QStringLiteral("The Artist");
    String album = QStringLiteral("The Album");
    QStringList titles;
    std::vector<Integer> seconds;
    QStringList discIdAskedFor;
    String clientName;
    String clientVersion;
};

// Drive kinds and disc-root listings by drive root.
class FakeDrives final : public platform::DriveTypes, public platform::DiscRootListing {
public:
    std::uint32_t getDriveType(const std::string& root) override {
        return cdDrives.count(root) ? cdrom : noRootDir;
    }
    std::optional<QStringList> listRoot(const std::string& root) override {
        ++listed;
        const auto it = listings.find(root);
        return it == listings.end() ? std::optional<QStringList>(QStringList()) : it->second;
    }
    std::set<std::string> cdDrives;
    std::map<std::string, std::optional<QStringList>> listings;
    int listed = 0;
};

inline const QStringList kAudioRoot{"Track01.cda", "Track02.cda"};

// The main window over the recording doubles, not loaded: each test puts the
// state it starts from in place.
struct CdUnit : ::testing::Test {
    CdUnit() : tp(dir.path()), app(tp.platform) {
        auto fd = std::make_unique<FakeFreeDb>();
        freedb = fd.get();
        auto d = std::make_unique<FakeDrives>();
        drives = d.get();
        tp.platform.driveTypes = std::move(d);
        tp.platform.discRoot = std::make_unique<ListingOf>(*drives);
        f = std::make_unique<frmCD>(app, std::move(fd));
        Variables& v = app.v;
        v.sCDDrive = QStringLiteral("D:\\");
        v.sPlayOnStart = v.sUseCDDB = v.sCDDBOnStart = v.sSysTrayOnly = QStringLiteral("0");
        v.bStopped = true;
        v.iCurrentTrack = 1;
    }

    void reply(const std::string& command, const std::string& answer) {
        tp.mci->replies[command] = {answer, 0};
    }
    void disc(int tracks = 12) {
        reply("status cd1 number of tracks wait", std::to_string(tracks));
        drives->listings["D:\\"] = kAudioRoot;
    }
    std::vector<std::string> sent() {
        auto out = tp.mci->commands;
        tp.mci->commands.clear();
        return out;
    }
    void writeOptionsFile() {
        QFile file(dir.filePath("VornapOptions.dat"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "\"a\",\"\",\"b\",\"\",\"c\",\"0\",\"d\",\"\",\"e\",\"0\",\"f\",\"0\",\"g\",\"\","
            "\"h\",\"\",\"i\",\"1\",\"j\",\"0\",\"k\",\"102\"\r\n");
    }

    QTemporaryDir dir;
    TestPlatform tp;
    Application app;
    FakeFreeDb* freedb;
    FakeDrives* drives;
    std::unique_ptr<frmCD> f;

private:
    // The listing service shares the drive table's data.
    struct ListingOf final : platform::DiscRootListing {
        explicit ListingOf(FakeDrives& d) : drives(d) {}
        std::optional<QStringList> listRoot(const std::string& root) override {
            return drives.listRoot(root);
        }
        FakeDrives& drives;
    };
};

} // namespace vornap::test
