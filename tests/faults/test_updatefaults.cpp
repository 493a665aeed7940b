#include "faults/robustnessrow.h"
#include "platform/curldownloader.h"
#include "support/apptest.h"
#include "support/localhttp.h"
#include "update/frmupdate.h"

#include <QFile>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using namespace std::chrono_literals;

namespace {

const QString kUpdatePath = QStringLiteral("/programs/VornapUpdate.txt");
const QString kCannotConnect =
    QStringLiteral("Cannot connect to server, check your Internet connection or try again later.");

// The update dialog with the real downloader at its own size limit and
// short time-outs, asking `web` for the update file.
struct UpdateFault : ::testing::Test, AppFixture {
    void open(const QString& web) {
        qputenv("VORNAP_WEB_SERVER", web.toLatin1());
        platform::CurlDownloader::Limits limits;
        limits.connectTimeout = 1000ms;
        limits.totalTimeout = 1500ms;
        tp.platform.downloader = std::make_unique<platform::CurlDownloader>(limits);
        dialog = std::make_unique<frmUpdate>(app);
        dialog->sVersionText = QStringLiteral("1.23");
        dialog->Form_Load();
        dialog->cmdGetUpdate_Click();
    }
    void TearDown() override { qunsetenv("VORNAP_WEB_SERVER"); }
    void expectFailedCheck() {
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_EQ(tp.messageBox->boxes[0].text, kCannotConnect);
        EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = ?");
        EXPECT_FALSE(QFile::exists(path("VornapUpdate.txt")));
        EXPECT_EQ(QDir(dir.path()).entryList({"VornapUpdate*"}, QDir::Files), QStringList{});
    }
    std::unique_ptr<frmUpdate> dialog;
};

} // namespace

TEST_F(UpdateFault, AValidVersionFollowedByEndlessGarbageIsRefused) {
    const RobustnessRow row("Update server sending a valid version then endless garbage",
                            "The download stops at 1 MB and counts as failed: the connection "
                            "message, no file left");
    LocalHttpServer server;
    server.serve(kUpdatePath, {.body = "\"9.99\",", .endless = true});
    open(server.base());
    expectFailedCheck();
    EXPECT_LT(server.bodyBytesSent(), 64 * 1024 * 1024);
}

TEST_F(UpdateFault, AnUpdateFileThatTricklesEndsAtTheTimeOut) {
    const RobustnessRow row("Update server trickling its file a byte at a time",
                            "The total time-out ends the download: the connection message");
    LocalHttpServer server;
    server.serve(kUpdatePath, {.body = "9", .endless = true, .trickle = 100ms});
    open(server.base());
    expectFailedCheck();
    for (int i = 0; i < 100 && !server.clientHungUp(); ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(server.clientHungUp());
}

TEST_F(UpdateFault, AValidVersionFollowedByBinaryGarbageIsReadUpToItsField) {
    const RobustnessRow row("Update file with a valid first field and 512 KB of binary garbage",
                            "Only the first field is read: the version is compared as usual");
    QByteArray body = "\"2.0\",";
    for (unsigned i = 0; i < 512 * 1024; ++i)
        body += char(i * 7919u % 256);
    LocalHttpServer server;
    server.serve(kUpdatePath, body);
    open(server.base());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = 2.0");
    EXPECT_EQ(dialog->lblUpdate->text(), "Update Available! (Version 2.0)");
    EXPECT_FALSE(QFile::exists(path("VornapUpdate.txt")));
}
