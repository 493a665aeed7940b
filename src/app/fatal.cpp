#include "app/fatal.h"

#include "app/frmcd.h"

#include <cstdlib>

namespace vornap {

QString fatalText(const QString& description, const QString& errorTag, FatalBox style) {
    if (style == FatalBox::SupportSentence)
        return description + '\r' + kSupportSentence + '\r' + errorTag;
    return description + '\r' + errorTag;
}

void reportFatal(Application& app, const QString& description, FatalBox style) {
    app.platform.messageBox->show(app.cd, fatalText(description, app.v.ErrorTag, style),
                                  QStringLiteral("Vornap"));
    app.platform.process->exitNow(1);
    std::abort(); // exitNow never returns
}

} // namespace vornap
