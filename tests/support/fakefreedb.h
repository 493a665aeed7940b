#pragma once

#include "freedb/freedbcontrol.h"

#include <QStringList>

namespace vornap::test {

// A lookup component holding one answer, as after a successful query.
class FakeFreeDb final : public FreeDbControl {
public:
    String GetDiscID(const String& root) override {
        discIdAskedFor << root;
        return discId;
    }
    void setClientName(const String&) override {}
    void setClientVersion(const String& s) override { clientVersion = s; }
    void setEmailAddress(const String&) override {}
    void setServerName(const String&) override {}
    Long QueryDisc(const String&) override { return Long(titles.size()); }
    String DiscArtist() const override { return artist; }
    String DiscTitle() const override { return album; }
    Long TrackCount() const override { return Long(titles.size()); }
    String TrackTitle(Integer t) const override { return titles.value(t - 1); }
    Integer TrackSeconds(Integer t) const override { return seconds.value(t - 1); }
    void setSubmitMode(Boolean) override {}
    void setOptionFlag(Boolean) override {}

    String discId = QStringLiteral("11005c03");
    String artist = QStringLiteral("The Artist");
    String album = QStringLiteral("The Album");
    QStringList titles;
    QList<Integer> seconds;
    QStringList discIdAskedFor;
    String clientVersion;
};

} // namespace vornap::test
