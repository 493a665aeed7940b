#include "faults/robustnessrow.h"
#include "platform/curldownloader.h"
#include "support/apptest.h"
#include "support/files.h"
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

// The update dialog with the real downloader at its own size limit and
// short time-outs, checking the update file of each server in turn.
struct UpdateFault : ::testing::Test, AppFixture {
    // What the dialog shows after a check of `web`: the server version, or
    // "failed" when the connection box came and nothing was left behind.
    QString check(const QString& web) {
        qputenv("VORNAP_WEB_SERVER", web.toLatin1());
        platform::CurlDownloader::Limits limits;
        limits.connectTimeout = 1000ms;
        limits.totalTimeout = 1500ms;
        tp.platform.downloader = std::make_unique<platform::CurlDownloader>(limits);
        tp.messageBox->boxes.clear();
        frmUpdate dialog(app);
        dialog.sVersionText = QStringLiteral("1.23");
        dialog.Form_Load();
        dialog.cmdGetUpdate_Click();
        EXPECT_EQ(QDir(dir.path()).entryList({"VornapUpdate*"}, QDir::Files), QStringList{});
        if (tp.messageBox->boxes.empty())
            return dialog.lblServerVersion->text();
        EXPECT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_EQ(tp.messageBox->boxes[0].text,
                  "Cannot connect to server, check your Internet connection or try again later.");
        EXPECT_EQ(dialog.lblServerVersion->text(), "Server version = ?");
        return QStringLiteral("failed");
    }
    void TearDown() override { qunsetenv("VORNAP_WEB_SERVER"); }
};

} // namespace

TEST_F(UpdateFault, HostileOrBrokenServersFailTheCheckAndLeaveNoFile) {
    const RobustnessRow endless("Update server sending a valid version then endless garbage",
                                "The download stops at 1 MB and counts as failed: the connection "
                                "message, no file left");
    const RobustnessRow trickle("Update server trickling its file a byte at a time",
                                "The total time-out ends the download: the connection message");
    const RobustnessRow garbage("Update file with a valid first field and 512 KB of binary garbage",
                                "Only the first field is read: the version is compared as usual");
    QByteArray binary = "\"2.0\",";
    for (unsigned i = 0; i < 512 * 1024; ++i)
        binary += char(i * 7919u % 256);
    const QString secret = path("secret/programs/VornapUpdate.txt");
    QDir().mkpath(QFileInfo(secret).path());
    writeFile(secret, "9.99");
    const std::vector<std::tuple<const char*, LocalHttpServer::Reply, QString>> rows{
        {"endless", {.body = "\"9.99\",", .endless = true}, "failed"},
        {"trickle", {.body = "9", .endless = true, .trickle = 100ms}, "failed"},
        {"binary after the field", {.body = binary}, "Server version = 2.0"},
        {"redirect", {.status = 302, .extraHeaders = "Location: /new\r\n"}, "Server version = 1.5"},
        {"3 MB announced", {.body = QByteArray(3 << 20, '7')}, "failed"},
        // Only web addresses are fetched, also when a server points elsewhere.
        {"redirect to a file",
         {.status = 302, .extraHeaders = "Location: file://" + secret.toUtf8() + "\r\n"},
         "failed"},
    };
    for (const auto& [name, reply, shown] : rows) {
        SCOPED_TRACE(name);
        LocalHttpServer server;
        server.serve(kUpdatePath, reply);
        server.serve("/new", QByteArray("1.5,\"notes\"\r\n"));
        EXPECT_EQ(check(server.base()), shown);
        EXPECT_LT(server.bodyBytesSent(), 64 * 1024 * 1024);
        for (int i = 0; i < 100 && reply.trickle.count() && !server.clientHungUp(); ++i)
            std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(!reply.trickle.count() || server.clientHungUp()) << "the client gave up";
    }
    EXPECT_EQ(check("file://" + path("secret")), "failed");
    EXPECT_EQ(check(QStringLiteral("127.0.0.1:%1").arg(LocalHttpServer::closedPort())), "failed");
}
