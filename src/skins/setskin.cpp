#include "skins/setskin.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "options/fieldreader.h"
#include "options/options.h"
#include "skins/colors.h"
#include "skins/skinfiles.h"
#include "skins/skinnedform.h"

#include <QFileInfo>
#include <array>

namespace vornap {

namespace {

struct SkinnedWindow {
    const char* name;
    QPointer<QWidget> Application::*form; // null for the main window
    const char* completionTag;            // null: the tag stays "SetSkin_04"
};

// In the order the names are compared.
constexpr std::array<SkinnedWindow, 5> kWindows{{
    {"frmAbout", &Application::frmAbout, "SetSkin_05"},
    {"frmCD", nullptr, "SetSkin_06"},
    {"frmEmail", &Application::frmEmail, "SetSkin_07"},
    {"frmPref", &Application::frmPref, "SetSkin_08"},
    {"frmSetProxy", &Application::frmSetProxy, nullptr},
}};

QPixmap skinPicture(const Application& app, const char* name) {
    return LoadPicture(skinFilePath(app.v.sSkinDir, QString::fromLatin1(name)));
}

void applyColors(Application& app, const SkinTargets& targets) {
    const auto& v = app.v;
    for (QWidget* control : targets.foreOnly)
        SetForeColor(control, SkinColor(v.sSkinForeColor));
    for (QWidget* control : targets.backAndFore) {
        SetBackColor(control, SkinColor(v.sSkinBackColor));
        SetForeColor(control, SkinColor(v.sSkinForeColor));
    }
    for (QWidget* control : targets.backOnly)
        SetBackColor(control, SkinColor(v.sSkinBackColor));
}

void applyToMainWindow(Application& app, frmCD& form) {
    const SkinTargets targets = form.skinTargets();
    targets.imgBackground->setPicture(skinPicture(app, "Background.bmp"));
    form.imgBack->setPicture(skinPicture(app, "Back_up.bmp"));
    form.imgForward->setPicture(skinPicture(app, "Fwd_up.bmp"));
    form.imgPlay->setPicture(skinPicture(app, "Play_up.bmp"));
    form.imgPause->setPicture(skinPicture(app, "Pause_up.bmp"));
    form.imgStop->setPicture(skinPicture(app, "Stop_up.bmp"));
    applyColors(app, targets);
    form.ProgressBar->setBackColor(SkinColor(app.v.sSkinBackColor));
    form.ProgressBar->setBarColor(SkinColor(app.v.sSkinForeColor));
    form.ProgressBar->setBarColor2(SkinColor(app.v.sSkinForeColor));
    form.update();
}

void applyToDialog(Application& app, QWidget* window) {
    auto* skinned = dynamic_cast<SkinnedForm*>(window);
    if (!skinned)
        return;
    const SkinTargets targets = skinned->skinTargets();
    if (targets.imgBackground)
        targets.imgBackground->setPicture(skinPicture(app, "Background.bmp"));
    applyColors(app, targets);
    window->update();
}

} // namespace

QWidget* SkinnableForm(Application& app, const QString& name) {
    for (const SkinnedWindow& w : kWindows) {
        if (name != QLatin1String(w.name))
            continue;
        if (!w.form)
            return app.cd;
        QPointer<QWidget>& slot = app.*(w.form);
        // The load handler of a window being created skins it through a nested
        // call; that call must not create it a second time.
        static QStringList creating;
        if (!slot && !creating.contains(name)) {
            const auto factory = app.formFactories.find(name);
            if (factory == app.formFactories.end() || !factory->second)
                return nullptr;
            // The factory loads the window (its load handler skins it too) and
            // stores it; it stays loaded, hidden, until it is shown.
            creating.append(name);
            QWidget* created = nullptr;
            try {
                created = factory->second(app);
            } catch (...) {
                creating.removeOne(name);
                throw;
            }
            creating.removeOne(name);
            if (!slot)
                slot = created;
        }
        return slot;
    }
    return nullptr;
}

void SetSkin(Application& app) {
    auto& v = app.v;
    guarded(app, [&] {
        v.ErrorTag = QStringLiteral("SetSkin_01");
        CheckOptions(app);

        v.ErrorTag = QStringLiteral("SetSkin_02");
        // A skin folder that has gone (moved, deleted, dropped by an upgrade)
        // would end every start; the base skin stands in, as for no skin.
        const QString base = app.appPath() + QStringLiteral("/Skins/Base/");
        if (v.sSkinDir.isEmpty() || (!QFileInfo(v.sSkinDir).isDir() && v.sSkinDir != base)) {
            v.sSkinDir = base;
            SaveOptions(app);
        }

        v.ErrorTag = QStringLiteral("SetSkin_03");
        {
            FieldReader colors =
                FieldReader::open(skinFilePath(v.sSkinDir, QStringLiteral("Colors.txt")));
            v.sDummy = colors.input();
            v.sSkinBackColor = colors.input();
            v.sDummy = colors.input();
            v.sSkinForeColor = colors.input();
        }

        v.ErrorTag = QStringLiteral("SetSkin_04");
        const QString formName = v.sSkinForm;
        for (const SkinnedWindow& w : kWindows) {
            if (formName != QLatin1String(w.name))
                continue;
            QWidget* window = SkinnableForm(app, formName);
            // Creating a hidden window skinned it through a nested call,
            // which left its own tags behind.
            v.ErrorTag = QStringLiteral("SetSkin_04");
            if (!w.form) {
                if (app.cd)
                    applyToMainWindow(app, *app.cd);
            } else if (window) {
                applyToDialog(app, window);
            }
            if (w.completionTag)
                v.ErrorTag = QString::fromLatin1(w.completionTag);
        }
    });
}

} // namespace vornap
