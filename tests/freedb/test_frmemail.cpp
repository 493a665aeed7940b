#include "freedb/frmemail.h"
#include "support/apptest.h"
#include "support/dialogoptions.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct EmailDialog : ::testing::Test, AppFixture {
    void SetUp() override {
        // The dialog re-reads the options file, so the address is saved there.
        writeOptionsWithSkin(dir.path(), QStringLiteral("old@example.org"));
        app.v.sCDDBEmail = QStringLiteral("old@example.org");
        dialog = LoadFrmEmail(app, nullptr);
        dialog->show();
    }
    void TearDown() override { delete dialog.data(); }

    void submit(const QString& text) {
        tp.messageBox->boxes.clear();
        dialog->txtEmail->clear();
        QTest::keyClicks(dialog->txtEmail, text);
        dialog->cmdOK->click();
    }
    void expectRefused(const QString& text, const QString& caption) {
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_EQ(tp.messageBox->boxes[0].text, text);
        EXPECT_EQ(tp.messageBox->boxes[0].caption, caption);
        EXPECT_TRUE(dialog->isVisible());
    }

    QPointer<frmEmail> dialog;
};

struct AcceptedAddress : EmailDialog, ::testing::WithParamInterface<const char*> {};

} // namespace

TEST_F(EmailDialog, OpensWithTheSavedAddress) {
    EXPECT_EQ(dialog->windowTitle(), "Email Address");
    EXPECT_EQ(dialog->lblEmailLabel->text(), "Input Your Email Address Below:");
    EXPECT_EQ(dialog->lblDisclaimer->text(),
              "*Note: Your email address will be used ONLY for FreeDB submissions!");
    EXPECT_EQ(dialog->cmdOK->text(), "&OK");
    EXPECT_EQ(dialog->cmdCancel->text(), "&Cancel");
    EXPECT_EQ(dialog->txtEmail->text(), "old@example.org");
    EXPECT_EQ(app.v.sSkinForm, "frmEmail");
}

TEST_F(EmailDialog, AnEmptyAddressIsRefused) {
    submit("");
    expectRefused("Invalid Email", "Invalid Email");
    EXPECT_EQ(app.v.sCDDBEmail, "");
}

TEST_F(EmailDialog, AnAddressWithoutAnAtIsRefusedButStaysInMemory) {
    submit("someone.example.org");
    expectRefused("Emails must include the @ symbol!", "No @ Symbol!");
    EXPECT_EQ(app.v.sCDDBEmail, "someone.example.org");
}

TEST_F(EmailDialog, AnAddressWithADoubleQuoteNeverReachesTheOption) {
    submit("\"me\"@example.org");
    expectRefused("Email addresses cannot contain the \" character!", "Invalid Email");
    EXPECT_EQ(app.v.sCDDBEmail, "old@example.org");
}

TEST_P(AcceptedAddress, IsTakenAndClosesTheDialog) {
    submit(GetParam());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(app.v.sCDDBEmail, GetParam());
    EXPECT_FALSE(dialog->isVisible());
}

// Only the presence of an "@" is checked.
INSTANTIATE_TEST_SUITE_P(Addresses, AcceptedAddress,
                         ::testing::Values("me@example.org", "@", "a@b@c", "  spaced @ out "));

TEST_F(EmailDialog, CancelLeavesTheAddressAlone) {
    dialog->txtEmail->setText("new@example.org");
    dialog->cmdCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(app.v.sCDDBEmail, "old@example.org");
}

TEST_F(EmailDialog, ASkinChangeCanCreateItHidden) {
    delete dialog.data();
    RegisterEmailForm(app);
    QWidget* created = app.formFactories.at("frmEmail")(app);
    EXPECT_EQ(app.frmEmail.data(), created);
    EXPECT_FALSE(created->isVisible());
    dialog = static_cast<frmEmail*>(created);
}
