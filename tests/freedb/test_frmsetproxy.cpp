#include "faults/robustnessrow.h"
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

// The dialog over the registry store file. Where the lookup takes the proxy
// the dialog stores is shown in freedb/test_querycddb.cpp.
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
    QPointer<frmSetProxy> dialog;
};

} // namespace

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
        SCOPED_TRACE(std::string(r.address) + "/" + (r.inUse ? r.inUse : "none"));
        QFile::remove(path("registry.json"));
        for (auto [name, text] :
             {std::pair{"ProxyAddress", r.address}, {"ProxyPort", r.port}, {"UseProxy", r.inUse}})
            if (text)
                SetRegString(app, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, name, text);
        reopen();
        EXPECT_EQ(dialog->chkUseProxy->isChecked(), r.shownInUse);
        EXPECT_EQ(dialog->txtProxyAddress->isEnabled(), r.shownInUse);
        EXPECT_EQ(dialog->txtProxyAddress->text() + ":" + dialog->txtProxyHTTPPort->text(),
                  QString(r.address) + ":" + r.port);
        dialog->cmdOK->click();
        EXPECT_TRUE(tp.messageBox->boxes.empty());
        EXPECT_EQ(stored("ProxyAddress") + ":" + stored("ProxyPort"),
                  QString(r.address) + ":" + r.port);
        EXPECT_EQ(StoredProxy(*app.platform.registry).inUse, r.shownInUse);
    }
}

TEST_F(ProxyDialog, WithTheProxyOnTheAddressIsAskedForFirstThenThePortAndCancelKeepsAll) {
    dialog->chkUseProxy->click();
    EXPECT_TRUE(dialog->txtProxyHTTPPort->isEnabled());
    struct Row {
        QString address, port, text, caption; // the box that refused, none when taken
    };
    const Row rows[] = {
        {"", "", "Since you want to use a proxy server, you should type in the address!",
         "Enter address..."},
        {"proxy.example.net", "", "Enter the HTTP port you use to connect to your proxy server!",
         "Enter HTTP port..."},
        {"", "8080", "Since you want to use a proxy server, you should type in the address!",
         "Enter address..."},
        {"10.0.0.1", "3128", "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.address.toStdString() + ":" + r.port.toStdString());
        tp.messageBox->boxes.clear();
        for (auto [box, text] : {std::pair{dialog->txtProxyAddress, r.address},
                                 std::pair{dialog->txtProxyHTTPPort, r.port}}) {
            box->clear();
            QTest::keyClicks(box, text);
        }
        dialog->cmdOK->click();
        const auto& boxes = tp.messageBox->boxes;
        EXPECT_EQ(boxes.empty() ? "|" : boxes[0].text + "|" + boxes[0].caption,
                  r.text + "|" + r.caption);
        EXPECT_EQ(dialog->isVisible(), !r.text.isEmpty());
        EXPECT_EQ(QFile::exists(path("registry.json")), r.text.isEmpty());
    }
    EXPECT_EQ(stored("ProxyAddress") + ":" + stored("ProxyPort"), "10.0.0.1:3128");

    reopen();
    dialog->chkUseProxy->setChecked(false);
    dialog->txtProxyAddress->setText("changed");
    dialog->cmdCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("ProxyAddress"), "10.0.0.1");
    EXPECT_TRUE(StoredProxy(*app.platform.registry).inUse);
}
