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

TEST_F(Download, WritesTheBodyExactlyAndFollowsRedirects) {
    const QByteArray body("1.5,\"notes\"\r\nsecond line\0tail", 30);
    server.serve("/old", {.status = 302, .body = "moved", .extraHeaders = "Location: /new\r\n"});
    server.serve("/new", body);
    CurlDownloader curl(quick());
    EXPECT_TRUE(curl.downloadToFile(server.url("/old"), target));
    EXPECT_EQ(readFile(target), body);
    EXPECT_EQ(server.paths(), (QStringList{"/old", "/new"}));
}

TEST_F(Download, FailuresLeaveNoFileAndKeepAnEarlierOneIntact) {
    server.serve("/silent", QByteArray("1.0"));
    const QString urls[] = {
        server.url("/missing"),
        QStringLiteral("http://127.0.0.1:%1/x").arg(LocalHttpServer::closedPort()),
    };
    CurlDownloader curl(quick());
    for (const QString& url : urls) {
        EXPECT_FALSE(curl.downloadToFile(url, target)) << url.toStdString();
        EXPECT_FALSE(QFile::exists(target)) << url.toStdString();
    }
    // A server that takes the connection and never answers ends in the time-out.
    server.setSilent(true);
    writeFile(target, "earlier");
    EXPECT_FALSE(curl.downloadToFile(server.url("/silent"), target));
    EXPECT_EQ(readFile(target), "earlier");
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
    const QString secret = dir.filePath("secret");
    writeFile(secret, "private");
    server.serve("/jump",
                 {.status = 302, .extraHeaders = "Location: file://" + secret.toUtf8() + "\r\n"});
    CurlDownloader curl(quick());
    EXPECT_FALSE(curl.downloadToFile("file://" + secret, target));
    EXPECT_FALSE(curl.downloadToFile(server.url("/jump"), target));
    EXPECT_FALSE(QFile::exists(target));
}
