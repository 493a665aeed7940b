#include "about/frmabout.h"
#include "freedb/frmemail.h"
#include "freedb/frmsetproxy.h"
#include "options/frmpref.h"
#include "support/apptest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QCheckBox>
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
        const QString build = qEnvironmentVariable("VORNAP_BUILD_DIR");
        skinDir = build + "/bin/Skins/Base/";
        if (!QFileInfo::exists(skinDir + "Colors.txt") ||
            !QFileInfo::exists(skinDir + "Background.bmp"))
            GTEST_SKIP() << "this build draws no Base skin";
        artifacts = build + "/artifacts";
        QDir().mkpath(artifacts);
        QFile f(path("VornapOptions.dat"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(
                    "\"//CD-ROM Drives in Computer\",\"\",\"//CD-ROM Drive to Use\",\"\","
                    "\"//Play On Startup\",\"0\",\"//Skin Directory\",\"%1\",\"//Use CDDB\",\"1\","
                    "\"//Activate CDDB on Startup\",\"0\",\"//CDDB Server\",\"\","
                    "\"//Email Address for CDDB\",\"me@example.org\","
                    "\"//Timer Setting (0=Bwd 1=Fwd)\",\"1\",\"//System Tray Only\",\"0\","
                    "\"//IconNum\",\"102\"\r\n")
                    .arg(skinDir)
                    .toUtf8());
        f.close();
        tile = QImage(skinDir + "Background.bmp");
        ASSERT_FALSE(tile.isNull());
    }

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
    }

    QString skinDir;
    QString artifacts;
    QImage tile;
};

} // namespace

TEST_F(SkinnedDialogs, AboutBoxWearsTheSkin) {
    frmAbout box(app);
    box.Form_Load();
    expectTiledAndKeep(box, "about-base");
}

TEST_F(SkinnedDialogs, EmailDialogWearsTheSkin) {
    frmEmail dialog(app);
    dialog.Form_Load();
    EXPECT_EQ(dialog.txtEmail->text(), "me@example.org");
    expectTiledAndKeep(dialog, "email-base");
}

TEST_F(SkinnedDialogs, ProxyDialogWearsTheSkin) {
    frmSetProxy dialog(app);
    dialog.Form_Load();
    expectTiledAndKeep(dialog, "proxy-base");
}

TEST_F(SkinnedDialogs, PreferencesDialogWearsTheSkin) {
    frmPref dialog(app);
    dialog.Form_Load();
    EXPECT_TRUE(dialog.chkUseCDDB->isChecked());
    expectTiledAndKeep(dialog, "preferences-base");
}
