#pragma once

#include "app/vbtypes.h"

#include <QStringList>
#include <stdexcept>
#include <vector>

namespace vornap {

// What one source of titles answered about a disc.
struct SourceAnswer {
    QString source; // a server, or the disc itself
    QString answer;
};

// Raised by QueryDisc when no source could answer about the disc: each was
// unreachable, refused the client or answered nonsense. Lists what each said.
class LookupFailure : public std::runtime_error {
public:
    LookupFailure(const QString& server, const QString& reason)
        : LookupFailure(std::vector<SourceAnswer>{{server, reason}}) {}
    explicit LookupFailure(std::vector<SourceAnswer> answers)
        : std::runtime_error(joined(answers).toStdString()), m_answers(std::move(answers)) {}
    // The first source and its answer.
    const QString& server() const { return m_answers.front().source; }
    const QString& reason() const { return m_answers.front().answer; }
    const std::vector<SourceAnswer>& answers() const { return m_answers; }

    // One line for each source: "source: answer".
    static QString joined(const std::vector<SourceAnswer>& answers) {
        QStringList lines;
        for (const SourceAnswer& a : answers)
            lines << a.source + QStringLiteral(": ") + a.answer;
        return lines.join(u'\n');
    }

private:
    std::vector<SourceAnswer> m_answers;
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

    // The next QueryDisc asks the sources again instead of the cache.
    virtual void askAgain() {}
    // The matches the last query found, best first, and the one held.
    virtual QStringList matchNames() const { return {}; }
    virtual int chosenMatch() const { return 0; }
    // Holds another of those matches instead; false when there is none such.
    virtual bool chooseMatch(int) { return false; }
};

} // namespace vornap
