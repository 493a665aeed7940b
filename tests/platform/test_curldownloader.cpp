#include "platform/curldownloader.h"
#include "support/files.h"
#include "support/localhttp.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using platform::CurlDownloader;
using namespace std::chrono_literals;

namespace {

struct Download : ::testing::Test {
    CurlDownloader::Limits quick() {
        CurlDownloader::Limits limits;
        limits.connectTimeout = 1000ms;
        limits.totalTimeout = 1500ms;
        limits.maxBytes = 64 * 1024;
        return limits;
    }
    QTemporaryDir dir;
    QString target = dir.filePath("got.txt");
    LocalHttpServer server;
};

} // namespace

TEST_F(Download, WritesTheBodyExactlyAndReportsSuccess) {
    const QByteArray body("1.5,\"notes\"\r\nsecond line\0tail", 30);
    server.serve("/programs/VornapUpdate.txt", body);
    CurlDownloader curl(quick());
    EXPECT_TRUE(curl.downloadToFile(server.url("/programs/VornapUpdate.txt"), target));
    EXPECT_EQ(readFile(target), body);
}

TEST_F(Download, FollowsRedirects) {
    server.serve("/old", {.status = 302, .body = "moved", .extraHeaders = "Location: /new\r\n"});
    server.serve("/new", QByteArray("2.0"));
    CurlDownloader curl(quick());
    EXPECT_TRUE(curl.downloadToFile(server.url("/old"), target));
    EXPECT_EQ(readFile(target), "2.0");
    EXPECT_EQ(server.paths(), (QStringList{"/old", "/new"}));
}

TEST_F(Download, AnErrorStatusIsAFailureAndLeavesNoFile) {
    CurlDownloader curl(quick());
    EXPECT_FALSE(curl.downloadToFile(server.url("/missing"), target));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(Download, AServerThatIsDownFailsWithoutAFile) {
    CurlDownloader curl(quick());
    const QString url = QStringLiteral("http://127.0.0.1:%1/x").arg(LocalHttpServer::closedPort());
    EXPECT_FALSE(curl.downloadToFile(url, target));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(Download, AServerThatNeverAnswersEndsInTheTimeOut) {
    server.setSilent(true);
    server.serve("/x", QByteArray("1.0"));
    CurlDownloader curl(quick());
    EXPECT_FALSE(curl.downloadToFile(server.url("/x"), target));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(Download, ABodyOverTheLimitIsRefusedWithOrWithoutItsLength) {
    const QByteArray garbage(3 * 1024 * 1024, '\xA7');
    server.serve("/announced", garbage);
    server.serve("/streamed", {.body = garbage, .sendLength = false});
    CurlDownloader curl(quick());
    EXPECT_FALSE(curl.downloadToFile(server.url("/announced"), target));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_FALSE(curl.downloadToFile(server.url("/streamed"), target));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(Download, OnlyWebAddressesAreFetched) {
    QFile secret(dir.filePath("secret"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("private");
    secret.close();
    server.serve(
        "/jump",
        {.status = 302, .extraHeaders = "Location: file://" + secret.fileName().toUtf8() + "\r\n"});
    CurlDownloader curl(quick());
    EXPECT_FALSE(curl.downloadToFile("file://" + secret.fileName(), target));
    EXPECT_FALSE(curl.downloadToFile(server.url("/jump"), target));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(Download, AFailedDownloadKeepsAnEarlierFileIntact) {
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier");
    old.close();
    CurlDownloader curl(quick());
    EXPECT_FALSE(curl.downloadToFile(server.url("/missing"), target));
    EXPECT_EQ(readFile(target), "earlier");
}
