#include "app/versiontext.h"
#include "platform/curldownloader.h"
#include "support/apptest.h"
#include "support/localhttp.h"
#include "update/frmupdate.h"
#include "update/webserver.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using namespace std::chrono_literals;

namespace {

const QString kUpdatePath = QStringLiteral("/programs/VornapUpdate.txt");
const QString kCannotConnect =
    QStringLiteral("Cannot connect to server, check your Internet connection or try again later.");

// The real downloader, with the fake counter moved on by what the download
// "took", so the clock arithmetic can be checked without waiting.
class TimedDownloader final : public platform::Downloader {
public:
    TimedDownloader(platform::CurlDownloader::Limits limits, FakeCounter& counter)
        : m_curl(limits), m_counter(counter) {}
    bool downloadToFile(const QString& url, const QString& localPath) override {
        const bool ok = m_curl.downloadToFile(url, localPath);
        m_counter.now += std::int64_t(takes * double(m_counter.ticksPerSecond));
        return ok;
    }
    double takes = 0.3;

private:
    platform::CurlDownloader m_curl;
    FakeCounter& m_counter;
};

struct UpdateCheck : ::testing::Test, AppFixture {
    void SetUp() override {
        qputenv("VORNAP_WEB_SERVER", server.base().toLatin1());
        platform::CurlDownloader::Limits limits;
        limits.connectTimeout = 1000ms;
        limits.totalTimeout = 1500ms;
        auto d = std::make_unique<TimedDownloader>(limits, *tp.counter);
        downloader = d.get();
        tp.platform.downloader = std::move(d);
        dialog = std::make_unique<frmUpdate>(app);
        dialog->sVersionText = QStringLiteral("1.23");
        dialog->Form_Load();
    }
    void TearDown() override { qunsetenv("VORNAP_WEB_SERVER"); }

    void check(const QByteArray& updateFile) {
        server.serve(kUpdatePath, updateFile);
        dialog->cmdGetUpdate_Click();
    }
    void expectFailedCheck() {
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_EQ(tp.messageBox->boxes[0].text, kCannotConnect);
        EXPECT_EQ(tp.messageBox->boxes[0].caption, "Error");
        EXPECT_FALSE(dialog->cmdGetUpdate->isEnabled());
        EXPECT_EQ(dialog->lblUpdate->text(), "Checking...");
        EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = ?");
        EXPECT_FALSE(QFile::exists(path("VornapUpdate.txt")));
    }

    LocalHttpServer server;
    TimedDownloader* downloader = nullptr;
    std::unique_ptr<frmUpdate> dialog;
};

struct LatestVersion : UpdateCheck, ::testing::WithParamInterface<const char*> {};

} // namespace

TEST_F(UpdateCheck, OpensReadyToCheck) {
    EXPECT_EQ(dialog->windowTitle(), "Checking for Update...");
    EXPECT_EQ(dialog->lblVersion->text(), "Your version = 1.23");
    EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = ?");
    EXPECT_EQ(dialog->lblUpdate->text(), "");
    EXPECT_EQ(dialog->cmdGetUpdate->text(), "C&heck for Update");
    EXPECT_EQ(dialog->cmdGetUpdate->toolTip(), "You must be connected to the Internet!!");
    EXPECT_EQ(dialog->cmdCancel->text(), "&Cancel");
}

TEST_F(UpdateCheck, ShowsTheProgramsOwnVersionByDefault) {
    frmUpdate fresh(app);
    fresh.Form_Load();
    EXPECT_EQ(fresh.lblVersion->text(), "Your version = " + VersionText());
}

TEST_F(UpdateCheck, ANewerServerVersionOffersTheUpdate) {
    check("1.3\r\n");
    EXPECT_EQ(server.paths(), QStringList{kUpdatePath});
    EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = 1.3");
    EXPECT_EQ(dialog->lblUpdate->text(), "Update Available! (Version 1.3)");
    EXPECT_EQ(dialog->cmdGetUpdate->text(), "&Get Update");
    EXPECT_TRUE(dialog->cmdGetUpdate->isEnabled());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_FALSE(QFile::exists(path("VornapUpdate.txt")));
}

TEST_P(LatestVersion, SaysSoAndLetsTheCheckBeRepeated) {
    check(GetParam());
    EXPECT_EQ(dialog->lblUpdate->text(), "You have the latest version!");
    EXPECT_EQ(dialog->cmdGetUpdate->text(), "C&heck for Update");
    EXPECT_TRUE(dialog->cmdGetUpdate->isEnabled());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    dialog->cmdGetUpdate_Click();
    EXPECT_EQ(server.requestCount(), 2u);
}

// Equal, older, and first fields that do not begin with a number (they count as 0).
INSTANTIATE_TEST_SUITE_P(ServerFiles, LatestVersion,
                         ::testing::Values("1.23", "1.2,\"older\"", "beta,9.9", "\"\",9.9",
                                           "v2.0"));

TEST_F(UpdateCheck, ComparesVersionTextsAsDecimalFractions) {
    dialog->sVersionText = QStringLiteral("1.100");
    check("1.9");
    EXPECT_EQ(dialog->lblUpdate->text(), "Update Available! (Version 1.9)");
}

TEST_F(UpdateCheck, ReadsOnlyTheFirstFieldQuotedOrNot) {
    check("\"2.5, final\",1.0\r\n9.9\r\n");
    EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = 2.5, final");
    EXPECT_EQ(dialog->lblUpdate->text(), "Update Available! (Version 2.5, final)");
}

TEST_F(UpdateCheck, AnUpdateFileWithoutAnyFieldIsAFailedDownload) {
    check("");
    expectFailedCheck();
    tp.messageBox->boxes.clear();
    check("\r\n  \r\n");
    expectFailedCheck();
}

TEST_F(UpdateCheck, AMissingUpdateFileIsAFailedDownload) {
    dialog->cmdGetUpdate_Click();
    expectFailedCheck();
}

TEST_F(UpdateCheck, ALongFirstFieldIsShownCut) {
    check(QByteArray(5000, '7'));
    EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = " + QString(40, '7') + "...");
}

TEST_F(UpdateCheck, AStaleLocalCopyIsNeverReadAsANewDownload) {
    QFile stale(path("VornapUpdate.txt"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("9.9");
    stale.close();
    dialog->cmdGetUpdate_Click(); // the server has no update file
    expectFailedCheck();
}

TEST_F(UpdateCheck, GetUpdateOpensTheDownloadPageAndClosesWithoutCheckingAgain) {
    QPointer<frmUpdate> shown = new frmUpdate(app);
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->sVersionText = QStringLiteral("1.0");
    shown->Form_Load();
    shown->show();
    server.serve(kUpdatePath, "1.5");
    shown->cmdGetUpdate_Click();
    ASSERT_EQ(shown->cmdGetUpdate->text(), "&Get Update");
    shown->cmdGetUpdate_Click();
    EXPECT_EQ(tp.shell->opened, QStringList{server.base() + "/indexvnp.html"});
    EXPECT_EQ(tp.shell->showCommands, std::vector<int>{1});
    EXPECT_EQ(server.requestCount(), 1u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown.isNull());
}

TEST_F(UpdateCheck, TheCheckTimeIsAddedToTheRunningClock) {
    server.serve(kUpdatePath, "1.0");
    app.v.iElapsedMin = 3;
    app.v.iElapsedSec = 10;
    downloader->takes = 0.4; // rounds to 0, which still counts as 1
    dialog->cmdGetUpdate_Click();
    EXPECT_EQ(app.v.iElapsedSec, 11);
    downloader->takes = 2.5; // half to even
    dialog->cmdGetUpdate_Click();
    EXPECT_EQ(app.v.iElapsedSec, 13);
    downloader->takes = 3.5;
    dialog->cmdGetUpdate_Click();
    EXPECT_EQ(app.v.iElapsedSec, 17);
    EXPECT_EQ(app.v.iElapsedMin, 3);
}

TEST_F(UpdateCheck, AFailedCheckAddsItsTimeToo) {
    downloader->takes = 2.6;
    app.v.iElapsedSec = 58;
    dialog->cmdGetUpdate_Click();
    EXPECT_EQ(app.v.iElapsedSec, 61); // carrying into minutes is the display's business
}

TEST_F(UpdateCheck, TheHelpMenuShowsTheDialogModally) {
    frmCD& f = form();
    QString title;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            return;
        title = w->windowTitle();
        modal = w->isModal();
        w->close();
    });
    f.mnuCheckUpdate_Click();
    EXPECT_EQ(title, "Checking for Update...");
    EXPECT_TRUE(modal);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app.frmUpdate.isNull());
}

TEST(MakerWebServer, DefaultsToADocumentationHostAndTakesTheEnvironmentsChoice) {
    qunsetenv("VORNAP_WEB_SERVER");
    EXPECT_EQ(MakerWebServer(), "https://vornap.example.org");
    qputenv("VORNAP_WEB_SERVER", "127.0.0.1:8080/");
    EXPECT_EQ(MakerWebServer(), "http://127.0.0.1:8080");
    qputenv("VORNAP_WEB_SERVER", "https://mirror.example.net//");
    EXPECT_EQ(MakerWebPage("/indexvnp.html"), "https://mirror.example.net/indexvnp.html");
    qunsetenv("VORNAP_WEB_SERVER");
}
