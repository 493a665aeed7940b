#pragma once

#include "freedb/freedbcontrol.h"

namespace vornap {

// A lookup component that knows no discs: every query finds nothing.
class NoLookupFreeDb final : public FreeDbControl {
public:
    String GetDiscID(const String&) override { return {}; }
    void setClientName(const String&) override {}
    void setClientVersion(const String&) override {}
    void setEmailAddress(const String&) override {}
    void setServerName(const String&) override {}
    Long QueryDisc(const String&) override { return 0; }
    String DiscArtist() const override { return {}; }
    String DiscTitle() const override { return {}; }
    Long TrackCount() const override { return 0; }
    String TrackTitle(Integer) const override { return {}; }
    Integer TrackSeconds(Integer) const override { return 0; }
    void setSubmitMode(Boolean) override {}
    void setOptionFlag(Boolean) override {}
};

} // namespace vornap
