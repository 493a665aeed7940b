#include "app/versiontext.h"
#include "platform/curldownloader.h"
#include "support/apptest.h"
#include "support/files.h"
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
        const auto box = tp.messageBox->boxes[0];
        tp.messageBox->boxes.clear();
        EXPECT_EQ(box.text, kCannotConnect);
        EXPECT_EQ(box.caption, "Error");
        EXPECT_FALSE(dialog->cmdGetUpdate->isEnabled());
        EXPECT_EQ(dialog->lblUpdate->text(), "Checking...");
        EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = ?");
        EXPECT_FALSE(QFile::exists(path("VornapUpdate.txt")));
    }

    LocalHttpServer server;
    TimedDownloader* downloader = nullptr;
    std::unique_ptr<frmUpdate> dialog;
};

} // namespace

TEST_F(UpdateCheck, OpensReadyToCheck) {
    EXPECT_EQ(
        (QStringList{dialog->windowTitle(), dialog->lblVersion->text(),
                     dialog->lblServerVersion->text(), dialog->lblUpdate->text(),
                     dialog->cmdGetUpdate->text(), dialog->cmdGetUpdate->toolTip(),
                     dialog->cmdCancel->text()}),
        (QStringList{"Checking for Update...", "Your version = 1.23", "Server version = ?", "",
                     "C&heck for Update", "You must be connected to the Internet!!", "&Cancel"}));
    frmUpdate fresh(app);
    fresh.Form_Load();
    EXPECT_EQ(fresh.lblVersion->text(), "Your version = " + VersionText()) << "by default";
}

TEST_F(UpdateCheck, TheFirstFieldIsComparedAsADecimalFraction) {
    const QString latest = "You have the latest version!";
    // Own version, update file, what the dialog says.
    const std::vector<std::tuple<QString, QByteArray, QString>> cases{
        {"1.100", "1.9\r\n", "Update Available! (Version 1.9)"},
        {"1.23", QByteArray(5000, '7'), "Update Available! (Version " + QString(40, '7') + "...)"},
        {"1.23", "1.23", latest},
        {"1.23", "1.2,\"older\"", latest},
        // First fields that do not begin with a number count as 0.
        {"1.23", "beta,9.9", latest},
        {"1.23", "v2.0", latest},
        {"1.23", "\"2.5, final\",1.0\r\n9.9\r\n", "Update Available! (Version 2.5, final)"},
    };
    for (const auto& [own, file, said] : cases) {
        dialog->sVersionText = own;
        dialog->cmdGetUpdate->setText("C&heck for Update");
        check(file);
        EXPECT_EQ(dialog->lblUpdate->text(), said) << file.left(20).toStdString();
        EXPECT_EQ(dialog->cmdGetUpdate->text(),
                  said == latest ? "C&heck for Update" : "&Get Update");
        EXPECT_TRUE(dialog->cmdGetUpdate->isEnabled());
    }
    EXPECT_EQ(dialog->lblServerVersion->text(), "Server version = 2.5, final");
    EXPECT_EQ(server.paths().first(), kUpdatePath);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_FALSE(QFile::exists(path("VornapUpdate.txt")));
}

TEST_F(UpdateCheck, EmptyMissingOrStaleUpdateFilesAreFailedDownloads) {
    check("");
    expectFailedCheck();
    check("\r\n  \r\n");
    expectFailedCheck();
    // The server has no update file; a copy an earlier check left is not read.
    server.serve(kUpdatePath, LocalHttpServer::Reply{404, "gone"});
    writeFile(path("VornapUpdate.txt"), "9.9");
    dialog->cmdGetUpdate_Click();
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

TEST_F(UpdateCheck, TheCheckTimeIsAddedToTheRunningClockEvenWhenItFails) {
    server.serve(kUpdatePath, "1.0");
    app.v.iElapsedMin = 3;
    app.v.iElapsedSec = 10;
    downloader->takes = 0.4; // rounds to 0, which still counts as 1
    dialog->cmdGetUpdate_Click();
    EXPECT_EQ(app.v.iElapsedSec, 11);
    downloader->takes = 2.5;
    dialog->cmdGetUpdate_Click();
    EXPECT_EQ(app.v.iElapsedSec, 13);

    server.serve(kUpdatePath, "");
    downloader->takes = 2.6;
    app.v.iElapsedSec = 58;
    dialog->cmdGetUpdate_Click();
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(app.v.iElapsedSec, 61); // carrying into minutes is the display's business
    EXPECT_EQ(app.v.iElapsedMin, 3);
}

TEST_F(UpdateCheck, TheHelpMenuShowsTheDialogModally) {
    QString title;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            title = w->windowTitle();
            modal = w->isModal();
            w->close();
        }
    });
    form().mnuCheckUpdate_Click();
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
