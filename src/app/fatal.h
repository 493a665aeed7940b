#pragma once

#include "app/application.h"
#include "app/vberror.h"

#include <exception>
#include <utility>

namespace vornap {

enum class FatalBox {
    Plain,            // description, CR, tag
    SupportSentence,  // description, CR, the support sentence, CR, tag
};

inline const QString kSupportSentence =
    QStringLiteral("Please contact Dravelle technical support for help.");

QString fatalText(const QString& description, const QString& errorTag, FatalBox style);

// Shows the fatal box for the current ErrorTag and ends the process at once.
[[noreturn]] void reportFatal(Application& app, const QString& description, FatalBox style);

// The one failure handler of a working procedure: any failure in its body
// ends in the fatal box.
template <typename Body>
void guarded(Application& app, FatalBox style, Body&& body) {
    try {
        std::forward<Body>(body)();
    } catch (const RuntimeError& e) {
        reportFatal(app, e.description(), style);
    } catch (const std::bad_alloc&) {
        reportFatal(app, QStringLiteral("Out of memory"), style);
    } catch (const std::exception& e) {
        reportFatal(app, QString::fromLocal8Bit(e.what()), style);
    }
}

template <typename Body>
void guarded(Application& app, Body&& body) {
    guarded(app, FatalBox::Plain, std::forward<Body>(body));
}

} // namespace vornap
