#pragma once

#include "freedb/freedbcontrol.h"

#include <QStringList>
#include <vector>

namespace vornap::test {

// A lookup component holding a fixed answer, for tests of the code that reads one.
class TitlesFreeDb final : public FreeDbControl {
public:
    String GetDiscID(const String&) override { return discId; }
    void setClientName(const String& s) override { clientName = s; }
    void setClientVersion(const String& s) override { clientVersion = s; }
    void setEmailAddress(const String& s) override { email = s; }
    void setServerName(const String& s) override { server = s; }
    Long QueryDisc(const String& id) override {
        queried.push_back(id);
        return matches;
    }
    String DiscArtist() const override { return artist; }
    String DiscTitle() const override { return album; }
    Long TrackCount() const override { return Long(titles.size()); }
    String TrackTitle(Integer t) const override { return titles.value(t - 1); }
    Integer TrackSeconds(Integer t) const override {
        return t >= 1 && std::size_t(t) <= seconds.size() ? seconds[std::size_t(t - 1)] : 0;
    }
    void setSubmitMode(Boolean on) override { submitMode = on; }
    void setOptionFlag(Boolean on) override { optionFlag = on; }

    String discId = QStringLiteral("11005c03");
    Long matches = 1;
    String artist = QStringLiteral("Artist");
    String album = QStringLiteral("Album");
    QStringList titles;
    std::vector<Integer> seconds;
    String clientName, clientVersion, email, server;
    QStringList queried;
    bool submitMode = false;
    bool optionFlag = true;
};

} // namespace vornap::test
