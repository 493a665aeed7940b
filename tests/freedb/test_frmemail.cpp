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
        dialog->show();
        dialog->txtEmail->clear();
        QTest::keyClicks(dialog->txtEmail, text);
        dialog->cmdOK->click();
    }

    QPointer<frmEmail> dialog;
};

} // namespace

TEST_F(EmailDialog, OpensWithTheSavedAddress) {
    EXPECT_EQ((QStringList{dialog->windowTitle(), dialog->lblEmailLabel->text(),
                           dialog->lblDisclaimer->text(), dialog->cmdOK->text(),
                           dialog->cmdCancel->text()}),
              (QStringList{"Email Address", "Input Your Email Address Below:",
                           "*Note: Your email address will be used ONLY for FreeDB submissions!",
                           "&OK", "&Cancel"}));
    EXPECT_EQ(dialog->txtEmail->text(), "old@example.org");
    EXPECT_EQ(app.v.sSkinForm, "frmEmail");
}

TEST_F(EmailDialog, RefusedAddressesKeepTheDialogOpen) {
    struct Case {
        QString typed, text, caption, kept;
    };
    const std::vector<Case> cases{
        // A double quote would break the options file: it never reaches the option.
        {"\"me\"@example.org", "Email addresses cannot contain the \" character!", "Invalid Email",
         "old@example.org"},
        {"", "Invalid Email", "Invalid Email", ""},
        {"someone.example.org", "Emails must include the @ symbol!", "No @ Symbol!",
         "someone.example.org"},
    };
    for (const Case& c : cases) {
        submit(c.typed);
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u) << c.typed.toStdString();
        EXPECT_EQ(tp.messageBox->boxes[0].text, c.text);
        EXPECT_EQ(tp.messageBox->boxes[0].caption, c.caption);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(app.v.sCDDBEmail, c.kept);
    }
}

TEST_F(EmailDialog, AnyAddressWithAnAtIsTakenAndClosesTheDialog) {
    for (const char* address : {"me@example.org", "@", "a@b@c", "  spaced @ out "}) {
        submit(address);
        EXPECT_TRUE(tp.messageBox->boxes.empty()) << address;
        EXPECT_EQ(app.v.sCDDBEmail, address);
        EXPECT_FALSE(dialog->isVisible());
    }
}

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
