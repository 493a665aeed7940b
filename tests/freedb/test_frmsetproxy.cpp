#include "faults/robustnessrow.h"
#include "freedb/frmsetproxy.h"
#include "lookupsupport.h"
#include "options/registry.h"
#include "platform/registrystore.h"
#include "support/apptest.h"
#include "support/dialogoptions.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct ProxyDialog : ::testing::Test, AppFixture {
    void SetUp() override {
        writeOptionsWithSkin(dir.path());
        tp.platform.registry = std::make_unique<platform::FileRegistry>(path("registry.json"));
        reopen();
    }
    void TearDown() override { delete dialog.data(); }
    void reopen() {
        delete dialog.data();
        tp.messageBox->boxes.clear();
        dialog = LoadFrmSetProxy(app, nullptr);
        dialog->show();
    }

    QString stored(const char* name) {
        return GetRegString(app, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, name);
    }
    void store(const char* name, const QString& text) {
        SetRegString(app, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, name, text);
    }
    // Types into both boxes and presses OK; returns the caption of the box
    // that refused, empty when none did.
    QString submit(const QString& address, const QString& port) {
        tp.messageBox->boxes.clear();
        for (auto [box, text] : {std::pair{dialog->txtProxyAddress, address},
                                 std::pair{dialog->txtProxyHTTPPort, port}}) {
            box->clear();
            QTest::keyClicks(box, text);
        }
        dialog->cmdOK->click();
        return tp.messageBox->boxes.empty() ? QString() : tp.messageBox->boxes.back().caption;
    }

    QPointer<frmSetProxy> dialog;
};

} // namespace

TEST_F(ProxyDialog, OpensEmptyWithTheFieldsDisabled) {
    EXPECT_EQ(
        (QStringList{dialog->windowTitle(), dialog->chkUseProxy->text(),
                     dialog->lblProxyAddressLabel->text(), dialog->lblProxyHTTPPortLabel->text(),
                     dialog->cmdOK->text(), dialog->cmdCancel->text()}),
        (QStringList{"Set Proxy Server", "Use Proxy Server",
                     "Proxy Server Address:", "HTTP Port:", "&OK", "&Cancel"}));
    EXPECT_FALSE(dialog->chkUseProxy->isChecked());
    for (QWidget* w :
         std::initializer_list<QWidget*>{dialog->lblProxyAddressLabel, dialog->txtProxyAddress,
                                         dialog->lblProxyHTTPPortLabel, dialog->txtProxyHTTPPort})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_EQ(dialog->txtProxyAddress->text() + dialog->txtProxyHTTPPort->text(), "");
    EXPECT_EQ(app.v.sSkinForm, "frmSetProxy");
}

TEST_F(ProxyDialog, OpensWithTheStoredProxyAndOkKeepsIt) {
    const RobustnessRow row("Proxy dialog opened and confirmed without a change",
                            "It shows the stored proxy and OK keeps it");
    struct Row {
        const char* address;
        const char* port;
        const char* inUse; // null: a store from before the on/off value
        bool shownInUse;
    };
    const Row rows[] = {{"old.proxy", "3128", nullptr, true},
                        {"old.proxy", "3128", "1", true},
                        {"old.proxy", "3128", "0", false},
                        {"", "", nullptr, false}};
    for (const Row& r : rows) {
        QFile::remove(path("registry.json"));
        store("ProxyAddress", r.address);
        store("ProxyPort", r.port);
        if (r.inUse)
            store("UseProxy", r.inUse);
        reopen();
        const std::string name = std::string(r.address) + "/" + (r.inUse ? r.inUse : "none");
        EXPECT_EQ(dialog->chkUseProxy->isChecked(), r.shownInUse) << name;
        EXPECT_EQ(dialog->txtProxyAddress->isEnabled(), r.shownInUse) << name;
        EXPECT_EQ(dialog->txtProxyAddress->text(), r.address) << name;
        EXPECT_EQ(dialog->txtProxyHTTPPort->text(), r.port) << name;
        dialog->cmdOK->click();
        EXPECT_TRUE(tp.messageBox->boxes.empty()) << name;
        EXPECT_EQ(stored("ProxyAddress") + ":" + stored("ProxyPort"),
                  QString(r.address) + ":" + r.port)
            << name;
        EXPECT_EQ(StoredProxy(*app.platform.registry).inUse, r.shownInUse) << name;
    }
}

TEST_F(ProxyDialog, UntickedTheTypedProxyIsKeptButNotInUse) {
    dialog->chkUseProxy->setChecked(true);
    dialog->txtProxyAddress->setText("proxy.example.net");
    dialog->txtProxyHTTPPort->setText("eighty");
    dialog->chkUseProxy->setChecked(false);
    EXPECT_FALSE(dialog->txtProxyAddress->isEnabled());
    dialog->cmdOK->click();
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(stored("ProxyAddress"), "proxy.example.net") << "unchecking keeps the typed texts";
    EXPECT_EQ(stored("ProxyPort"), "eighty"); // taken as typed
    EXPECT_FALSE(StoredProxy(*app.platform.registry).inUse);

    reopen();
    EXPECT_FALSE(dialog->chkUseProxy->isChecked());
    EXPECT_EQ(dialog->txtProxyAddress->text(), "proxy.example.net");
}

TEST_F(ProxyDialog, WithTheProxyOnTheAddressIsAskedForFirstThenThePort) {
    dialog->chkUseProxy->click();
    EXPECT_TRUE(dialog->txtProxyAddress->isEnabled());
    EXPECT_TRUE(dialog->txtProxyHTTPPort->isEnabled());
    EXPECT_EQ(submit("", ""), "Enter address...");
    EXPECT_EQ(tp.messageBox->boxes[0].text,
              "Since you want to use a proxy server, you should type in the address!");
    EXPECT_EQ(submit("proxy.example.net", ""), "Enter HTTP port...");
    EXPECT_EQ(tp.messageBox->boxes[0].text,
              "Enter the HTTP port you use to connect to your proxy server!");
    EXPECT_EQ(submit("", "8080"), "Enter address...");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(QFile::exists(path("registry.json")));

    EXPECT_EQ(submit("10.0.0.1", "3128"), "");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("ProxyAddress"), "10.0.0.1");
    EXPECT_EQ(stored("ProxyPort"), "3128");
}

TEST_F(ProxyDialog, APortThatIsNotANumberIsStoredAndTheLookupNamesIt) {
    const RobustnessRow row("Proxy port that is not a number (\"abc\")",
                            "It is stored as typed, and a lookup through the proxy fails at once "
                            "with a text naming that port as not a number");
    dialog->chkUseProxy->click();
    EXPECT_EQ(submit("127.0.0.1", "abc"), "");
    FakeTocSource toc;
    toc.discs["D:\\"] = knownToc();
    LookupSettings offline;
    offline.musicBrainzUrl = QStringLiteral("http://127.0.0.1:1");
    FreeDbLookup lookup(toc, *app.platform.registry, dir.path(), offline);
    lookup.setServerName(QStringLiteral("127.0.0.1:1"));
    ASSERT_EQ(lookup.GetDiscID(QStringLiteral("D:\\")), "11005c03");
    try {
        lookup.QueryDisc(QStringLiteral("11005c03"));
        ADD_FAILURE() << "the lookup went through";
    } catch (const LookupFailure& failure) {
        EXPECT_EQ(failure.answers().size(), 3u) << failure.what();
        // The CDDB server and MusicBrainz, each without trying another port.
        for (std::size_t i = 0; i < 2; ++i) {
            const QString& said = failure.answers()[i].answer;
            EXPECT_TRUE(said.contains("\"abc\" is not a number")) << said.toStdString();
        }
    }
}

TEST_F(ProxyDialog, CancelWritesNothing) {
    store("ProxyAddress", "kept");
    dialog->chkUseProxy->setChecked(true);
    dialog->txtProxyAddress->setText("changed");
    dialog->cmdCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("ProxyAddress"), "kept");
}

TEST_F(ProxyDialog, ASkinChangeCanCreateItHidden) {
    delete dialog.data();
    RegisterProxyForm(app);
    QWidget* created = app.formFactories.at("frmSetProxy")(app);
    EXPECT_EQ(app.frmSetProxy.data(), created);
    EXPECT_FALSE(created->isVisible());
    dialog = static_cast<frmSetProxy*>(created);
}
