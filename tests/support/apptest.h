#pragma once

#include "app/application.h"
#include "app/frmcd.h"
#include "freedb/nolookup.h"
#include "support/fakes.h"
#include "support/skins.h"

#include <QTemporaryDir>
#include <memory>

namespace vornap::test {

// A main window over the test platform in a fresh application directory.
struct AppFixture {
    // The directory holds the base skin, as an installed player's does.
    AppFixture() : tp(dir.path()), app(tp.platform) { installSkin(dir.path()); }

    frmCD& form() {
        if (!m_form)
            m_form = std::make_unique<frmCD>(app, freedb ? std::move(freedb)
                                                         : std::make_unique<NoLookupFreeDb>());
        return *m_form;
    }
    // Form_Load with the timers held still, so a test drives every tick itself.
    frmCD& load() {
        frmCD& f = form();
        f.Form_Load();
        f.tmrCDCheck->stop();
        f.tmrTime->stop();
        return f;
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    TestPlatform tp;
    Application app;
    // The lookup component the window gets; set before the first form().
    std::unique_ptr<FreeDbControl> freedb;

private:
    std::unique_ptr<frmCD> m_form;
};

} // namespace vornap::test
