#include "freedb/frmsetproxy.h"
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
        dialog = LoadFrmSetProxy(app, nullptr);
        dialog->show();
    }
    void TearDown() override { delete dialog.data(); }

    QString stored(const char* name) {
        return GetRegString(app, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, name);
    }
    void store(const char* name, const QString& text) {
        SetRegString(app, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, name, text);
    }
    void expectStillOpenWith(const QString& text, const QString& caption) {
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_EQ(tp.messageBox->boxes[0].text, text);
        EXPECT_EQ(tp.messageBox->boxes[0].caption, caption);
        EXPECT_TRUE(dialog->isVisible());
    }
    void type(QLineEdit* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }

    QPointer<frmSetProxy> dialog;
};

const QString kAddressMessage =
    QStringLiteral("Since you want to use a proxy server, you should type in the address!");
const QString kPortMessage =
    QStringLiteral("Enter the HTTP port you use to connect to your proxy server!");

} // namespace

TEST_F(ProxyDialog, OpensEmptyWithTheFieldsDisabled) {
    EXPECT_EQ(dialog->windowTitle(), "Set Proxy Server");
    EXPECT_EQ(dialog->chkUseProxy->text(), "Use Proxy Server");
    EXPECT_EQ(dialog->lblProxyAddressLabel->text(), "Proxy Server Address:");
    EXPECT_EQ(dialog->lblProxyHTTPPortLabel->text(), "HTTP Port:");
    EXPECT_EQ(dialog->cmdOK->text(), "&OK");
    EXPECT_EQ(dialog->cmdCancel->text(), "&Cancel");
    EXPECT_FALSE(dialog->chkUseProxy->isChecked());
    for (QWidget* w : {static_cast<QWidget*>(dialog->lblProxyAddressLabel),
                       static_cast<QWidget*>(dialog->txtProxyAddress),
                       static_cast<QWidget*>(dialog->lblProxyHTTPPortLabel),
                       static_cast<QWidget*>(dialog->txtProxyHTTPPort)})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_EQ(dialog->txtProxyAddress->text(), "");
    EXPECT_EQ(dialog->txtProxyHTTPPort->text(), "");
    EXPECT_EQ(app.v.sSkinForm, "frmSetProxy");
}

TEST_F(ProxyDialog, OKRightAwayReplacesTheStoredValuesWithEmptyOnes) {
    store("ProxyAddress", "old.proxy");
    store("ProxyPort", "3128");
    dialog->cmdOK->click();
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("ProxyAddress"), "");
    EXPECT_EQ(stored("ProxyPort"), "");
    const auto raw = app.platform.registry->queryValue(
        platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey.toStdString(), "ProxyPort");
    ASSERT_TRUE(raw); // written, not deleted
    EXPECT_EQ(raw->type, platform::REG_SZ);
}

TEST_F(ProxyDialog, TheAddressIsAskedForFirstThenThePort) {
    dialog->chkUseProxy->click();
    EXPECT_TRUE(dialog->txtProxyAddress->isEnabled());
    EXPECT_TRUE(dialog->txtProxyHTTPPort->isEnabled());
    dialog->cmdOK->click();
    expectStillOpenWith(kAddressMessage, "Enter address...");

    tp.messageBox->boxes.clear();
    type(dialog->txtProxyAddress, "proxy.example.net");
    dialog->cmdOK->click();
    expectStillOpenWith(kPortMessage, "Enter HTTP port...");

    tp.messageBox->boxes.clear();
    type(dialog->txtProxyAddress, "");
    type(dialog->txtProxyHTTPPort, "8080");
    dialog->cmdOK->click();
    expectStillOpenWith(kAddressMessage, "Enter address...");
    EXPECT_FALSE(QFile::exists(path("registry.json")));
}

TEST_F(ProxyDialog, UncheckingKeepsTheTypedTextsAndOKWritesThem) {
    dialog->chkUseProxy->setChecked(true);
    type(dialog->txtProxyAddress, "proxy.example.net");
    type(dialog->txtProxyHTTPPort, "eighty");
    dialog->chkUseProxy->setChecked(false);
    EXPECT_FALSE(dialog->txtProxyAddress->isEnabled());
    EXPECT_EQ(dialog->txtProxyAddress->text(), "proxy.example.net");
    dialog->cmdOK->click();
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(stored("ProxyAddress"), "proxy.example.net");
    EXPECT_EQ(stored("ProxyPort"), "eighty"); // taken as typed
}

TEST_F(ProxyDialog, FilledInItStoresBothAndCloses) {
    dialog->chkUseProxy->setChecked(true);
    type(dialog->txtProxyAddress, "10.0.0.1");
    type(dialog->txtProxyHTTPPort, "3128");
    dialog->cmdOK->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("ProxyAddress"), "10.0.0.1");
    EXPECT_EQ(stored("ProxyPort"), "3128");
}

TEST_F(ProxyDialog, CancelWritesNothing) {
    store("ProxyAddress", "kept");
    dialog->chkUseProxy->setChecked(true);
    type(dialog->txtProxyAddress, "changed");
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
