#pragma once

#include "app/widgets.h"
#include "skins/setskin.h"
#include "skins/skinnedform.h"
#include "skins/tiling.h"
#include "support/apptest.h"
#include "support/files.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QStringList>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace vornap::test {

// An options file as the player writes it, with the given skin directory.
inline void writeOptions(const QString& appPath, const QString& skinDir) {
    writeOptionsFile(appPath, {.skinDir = skinDir});
}

inline QImage imageOf(const QPixmap& picture) {
    return picture.toImage().convertToFormat(QImage::Format_RGB32);
}

inline QImage imageFile(const QString& path) {
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// A dialog with one control of each kind the skin colours, loaded like the
// real dialogs: its load handler skins it.
class TestDialog : public QDialog, public SkinnedForm {
public:
    TestDialog(Application& app, QString name) : app(app), name(std::move(name)) {
        imgBackground = new ImageBox(this);
        imgBackground->setVisible(false);
        lblFore = new PlainLabel(QStringLiteral("Label"), this);
        chkBoth = new QCheckBox(QStringLiteral("Check"), this);
        fraBoth = new QGroupBox(QStringLiteral("Frame"), this);
        chkBack = new QCheckBox(QStringLiteral("Back only"), this);
        resize(200, 150);
    }
    SkinTargets skinTargets() override {
        return {imgBackground, {lblFore}, {chkBoth, fraBoth}, {chkBack}};
    }
    void paintEvent(QPaintEvent*) override { PaintFormBackground(*this, imgBackground); }
    void Form_Load() {
        ++loads;
        app.v.sSkinForm = name;
        SetSkin(app);
    }

    Application& app;
    QString name;
    ImageBox* imgBackground;
    PlainLabel* lblFore;
    QCheckBox* chkBoth;
    QGroupBox* fraBoth;
    QCheckBox* chkBack;
    int loads = 0;
};

// Registers a factory for each dialog name that loads a TestDialog and
// stores it where the application keeps that window; records the order.
struct DialogFactories {
    explicit DialogFactories(Application& app) {
        const std::pair<const char*, QPointer<QWidget> Application::*> forms[] = {
            {"frmAbout", &Application::frmAbout},
            {"frmEmail", &Application::frmEmail},
            {"frmPref", &Application::frmPref},
            {"frmSetProxy", &Application::frmSetProxy}};
        for (const auto& [name, slot] : forms) {
            const QString formName = QString::fromLatin1(name);
            app.formFactories[formName] = [this, formName, slot](Application& a) -> QWidget* {
                created << formName;
                if (onCreate)
                    onCreate(formName);
                auto* dialog = new TestDialog(a, formName);
                dialogs.emplace_back(dialog);
                a.*slot = dialog;
                dialog->Form_Load();
                return dialog;
            };
        }
    }
    TestDialog* dialog(const QString& name) const {
        for (const auto& d : dialogs)
            if (d->name == name)
                return d.get();
        return nullptr;
    }
    QStringList created;
    std::function<void(const QString&)> onCreate;
    std::vector<std::unique_ptr<TestDialog>> dialogs;
};

} // namespace vornap::test
