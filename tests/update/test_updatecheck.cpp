#include "platform/curldownloader.h"
#include "support/apptest.h"
#include "support/files.h"
#include "support/localhttp.h"
#include "update/frmupdate.h"

#include <QPushButton>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct UpdateCheck : ::testing::Test, AppFixture {
    void SetUp() override {
        qputenv("VORNAP_WEB_SERVER", server.base().toLatin1());
        tp.platform.downloader = std::make_unique<platform::CurlDownloader>();
    }
    void TearDown() override {
        delete dialog;
        qunsetenv("VORNAP_WEB_SERVER");
    }
    // Opened as the Help menu opens it, destroyed when closed; checks at once.
    void check(const QString& ownVersion) {
        delete dialog;
        dialog = new frmUpdate(app);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->sVersionText = ownVersion;
        dialog->Form_Load();
        dialog->show();
        dialog->cmdGetUpdate_Click();
    }

    QPointer<frmUpdate> dialog;
    LocalHttpServer::Reply reply;
    QStringList paths;  // asked for
    double takes = 0.3; // seconds
    // It moves the fake counter on by what the download "took", so the clock
    // arithmetic can be checked without waiting.
    LocalHttpServer server{[this](const LocalHttpServer::Request& request) {
        tp.counter->now += std::int64_t(takes * double(tp.counter->ticksPerSecond));
        paths << request.path;
        return reply;
    }};
};

} // namespace

// The server file's first field against the own version, as decimal fractions; no field or
// no file is a failed download, and a copy an earlier check left is not read.
TEST_F(UpdateCheck, TheServersFirstFieldIsComparedAsADecimalFraction) {
    const QString latest = "You have the latest version!";
    // The own version; the server's file (none: it has no such file); what the dialog says
    // (empty: the check failed).
    const std::tuple<QString, std::optional<QByteArray>, QString> cases[] = {
        {"1.23", "", ""},
        {"1.23", "\r\n  \r\n", ""},
        {"1.23", std::nullopt, ""},
        {"1.100", "1.9\r\n", "Update Available! (Version 1.9)"},
        {"1.23", QByteArray(5000, '7'), "Update Available! (Version " + QString(40, '7') + "...)"},
        {"1.23", "1.23", latest},
        {"1.23", "1.2,\"older\"", latest},
        {"1.23", "v2.0,9.9", latest}, // not a number: 0
        {"1.23", "\"2.5, final\",1.0\r\n9.9\r\n", "Update Available! (Version 2.5, final)"},
    };
    for (const auto& [own, file, said] : cases) {
        SCOPED_TRACE(file.value_or("(none)").left(20).toStdString());
        reply = file ? LocalHttpServer::Reply{200, *file} : LocalHttpServer::Reply{404, "gone"};
        if (!file)
            writeFile(path("VornapUpdate.txt"), "9.9");
        tp.messageBox->boxes.clear();
        check(own);
        EXPECT_FALSE(QFile::exists(path("VornapUpdate.txt")));
        EXPECT_EQ(dialog->lblVersion->text(), "Your version = " + own);
        ASSERT_EQ(tp.messageBox->boxes.size(), said.isEmpty() ? 1u : 0u);
        if (said.isEmpty()) { // its labels are checked with the hostile servers
            EXPECT_TRUE(tp.messageBox->boxes[0].text.startsWith("Cannot connect to server"));
            continue;
        }
        const QString button = said == latest ? "C&heck for Update" : "&Get Update";
        EXPECT_EQ(std::tuple(dialog->lblUpdate->text(), dialog->cmdGetUpdate->text(),
                             dialog->cmdGetUpdate->isEnabled()),
                  std::tuple(said, button, true));
    }
    EXPECT_EQ(paths.first(), "/programs/VornapUpdate.txt");
    EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = 2.5, final");
}

// The check's time in whole seconds (halves to even, at least one) is added to the clock of a
// disc that plays, a failed one's too. Get Update opens the download page and closes, without
// checking again.
TEST_F(UpdateCheck, TheCheckTimeCountsAndGetUpdateOpensTheDownloadPage) {
    app.v.iElapsedSec = 10;
    for (const auto& [taken, body, seconds, playing] : {std::tuple{2.6, "", 13, true},
                                                        {0.4, "1.5", 14, true},
                                                        {2.5, "1.5", 16, true},
                                                        {3.5, "1.5", 20, true},
                                                        {2.6, "1.5", 20, false}}) {
        takes = taken;
        reply.body = body;
        app.v.bPlaying = playing;
        check("1.0");
        EXPECT_EQ(app.v.iElapsedSec, seconds) << taken << " s";
    }
    EXPECT_EQ(tp.messageBox->boxes.size(), 1u) << "the failed check's";
    ASSERT_EQ(dialog->cmdGetUpdate->text(), "&Get Update");
    dialog->cmdGetUpdate_Click();
    EXPECT_EQ(tp.shell->opened, QStringList{server.base() + "/indexvnp.html"});
    EXPECT_EQ(paths.size(), 5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}
