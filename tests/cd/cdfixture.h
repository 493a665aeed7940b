#pragma once

#include "app/frmcd.h"
#include "support/fakefreedb.h"
#include "support/fakes.h"
#include "support/files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>

namespace vornap::test {

// Disc-root listings by drive root; a root not set lists empty.
struct FakeListings final : platform::DiscRootListing {
    std::optional<QStringList> listRoot(const std::string& root) override {
        ++listed;
        const auto it = listings.find(root);
        return it == listings.end() ? std::optional<QStringList>(QStringList()) : it->second;
    }
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

    void disc(int tracks = 12) {
        tp.mci->replies["status cd1 number of tracks wait"] = {std::to_string(tracks), 0};
        drives->listings["D:\\"] = kAudioRoot;
    }
    std::vector<std::string> sent() {
        auto out = tp.mci->commands;
        tp.mci->commands.clear();
        return out;
    }

    QTemporaryDir dir;
    TestPlatform tp;
    Application app;
    FakeFreeDb* freedb;
    FakeListings* drives;
    std::unique_ptr<frmCD> f;
};

} // namespace vornap::test
