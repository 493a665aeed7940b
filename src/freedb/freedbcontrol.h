#pragma once

#include "app/vbtypes.h"

#include <stdexcept>

namespace vornap {

// Raised by QueryDisc when a lookup fails for a reason other than "no entry":
// the server could not be reached, refused the client or answered nonsense.
class LookupFailure : public std::runtime_error {
public:
    LookupFailure(const QString& server, const QString& reason)
        : std::runtime_error((server + QStringLiteral(": ") + reason).toStdString()),
          m_server(server), m_reason(reason) {}
    const QString& server() const { return m_server; }
    const QString& reason() const { return m_reason; }

private:
    QString m_server;
    QString m_reason;
};

// The lookup component: identifies the disc in a drive, asks a lookup server
// about it and holds the last answer.
class FreeDbControl {
public:
    virtual ~FreeDbControl() = default;

    // The disc identifier of the disc at a drive root; empty when no disc can be read.
    virtual String GetDiscID(const String& driveRoot) = 0;
    virtual void setClientName(const String& name) = 0;
    virtual void setClientVersion(const String& version) = 0;
    virtual void setEmailAddress(const String& address) = 0;
    virtual void setServerName(const String& server) = 0;
    // Completes the whole exchange; 0 = no entry found, otherwise an answer is
    // held. Throws LookupFailure when the lookup could not be done.
    virtual Long QueryDisc(const String& discId) = 0;

    // Answers from the last answer held.
    virtual String DiscArtist() const = 0;
    virtual String DiscTitle() const = 0;
    virtual Long TrackCount() const = 0;
    virtual String TrackTitle(Integer track) const = 0;
    virtual Integer TrackSeconds(Integer track) const = 0;

    virtual void setSubmitMode(Boolean on) = 0;
    virtual void setOptionFlag(Boolean on) = 0;
};

} // namespace vornap
