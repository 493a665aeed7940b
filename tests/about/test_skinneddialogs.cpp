#include "about/frmabout.h"
#include "freedb/frmemail.h"
#include "freedb/frmsetproxy.h"
#include "options/fieldreader.h"
#include "options/frmpref.h"
#include "skins/colors.h"
#include "support/apptest.h"
#include "support/dirs.h"
#include "support/files.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// The dialogs in the Base skin the build draws: their background is the
// skin's tile repeated from the top left corner. Each picture is kept in
// <build>/artifacts.
struct SkinnedDialogs : ::testing::Test, AppFixture {
    void SetUp() override {
        const QString build = buildDir();
        skinDir = build + "/bin/Skins/Base/";
        ASSERT_TRUE(QFileInfo::exists(skinDir + "Colors.txt")) << skinDir.toStdString();
        artifacts = build + "/artifacts";
        QDir().mkpath(artifacts);
        writeOptionsFile(dir.path(), {.skinDir = skinDir,
                                      .useCDDB = QStringLiteral("1"),
                                      .email = QStringLiteral("me@example.org")});
        tile = QImage(skinDir + "Background.bmp");
        ASSERT_FALSE(tile.isNull());
    }

    // Tiled background; every check box filled with the skin's back colour
    // behind text in its fore colour, as on the preferences.
    void expectTiledAndKeep(QWidget& dialog, const QString& name) {
        dialog.show();
        const QImage shot = dialog.grab().toImage();
        shot.save(artifacts + '/' + name + ".png");
        for (const QPoint p : {QPoint(shot.width() - 1, shot.height() - 1),
                               QPoint(shot.width() - 1, 1), QPoint(1, shot.height() - 1)}) {
            EXPECT_EQ(shot.pixelColor(p),
                      tile.pixelColor(p.x() % tile.width(), p.y() % tile.height()))
                << name.toStdString() << " at " << p.x() << "," << p.y();
        }
        const QStringList colors = readFields(skinDir + "Colors.txt", 4);
        const QColor back = SkinColor(colors[1]), fore = SkinColor(colors[3]);
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
            const QPoint end = box->mapTo(&dialog, QPoint(box->width() - 2, box->height() / 2));
            EXPECT_EQ(shot.pixelColor(end), back) << box->text().toStdString();
            EXPECT_EQ(ForeColorOf(box), fore) << box->text().toStdString();
        }
    }

    QString skinDir;
    QString artifacts;
    QImage tile;
};

} // namespace

TEST_F(SkinnedDialogs, EachDialogWearsTheSkin) {
    frmAbout about(app);
    frmEmail email(app);
    frmSetProxy proxy(app);
    frmPref pref(app);
    about.Form_Load();
    email.Form_Load();
    proxy.Form_Load();
    pref.Form_Load();
    EXPECT_EQ(email.txtEmail->text(), "me@example.org");
    EXPECT_TRUE(pref.chkUseCDDB->isChecked());
    expectTiledAndKeep(about, "about-base");
    expectTiledAndKeep(email, "email-base");
    expectTiledAndKeep(proxy, "proxy-base");
    expectTiledAndKeep(pref, "preferences-base");
}
