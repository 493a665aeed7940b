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

// What each typed address leaves: the box it brings, or none when the
// dialog takes it and closes.
TEST_F(EmailDialog, OnlyAddressesWithAnAtAndNoQuoteAreTaken) {
    EXPECT_EQ(dialog->txtEmail->text(), "old@example.org");
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
        {"me@example.org", "", "", "me@example.org"},
        {"@", "", "", "@"},
        {"a@b@c", "", "", "a@b@c"},
        {"  spaced @ out ", "", "", "  spaced @ out "},
    };
    for (const Case& c : cases) {
        submit(c.typed);
        const auto& boxes = tp.messageBox->boxes;
        EXPECT_EQ(boxes.empty() ? QString() : boxes[0].text + "|" + boxes[0].caption,
                  c.text.isEmpty() ? QString() : c.text + "|" + c.caption)
            << c.typed.toStdString();
        EXPECT_LE(boxes.size(), 1u);
        EXPECT_EQ(dialog->isVisible(), !c.text.isEmpty());
        EXPECT_EQ(app.v.sCDDBEmail, c.kept);
    }
    dialog->show();
    dialog->txtEmail->setText("new@example.org");
    dialog->cmdCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(app.v.sCDDBEmail, "  spaced @ out ") << "Cancel leaves the address alone";
}
