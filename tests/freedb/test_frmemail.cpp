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

// What each typed address leaves: the box it brings, or none when the dialog
// takes it and closes; a plain address is taken in qt/tst_journeys.
TEST(EmailDialog, OnlyAddressesWithAnAtAndNoQuoteAreTaken) {
    AppFixture fx;
    // The dialog re-reads the options file, so the address is saved there.
    writeOptionsWithSkin(fx.dir.path(), QStringLiteral("old@example.org"));
    fx.app.v.sCDDBEmail = QStringLiteral("old@example.org");
    const QPointer<frmEmail> dialog = LoadFrmEmail(fx.app, nullptr);
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
        {"  spaced @ out ", "", "", "  spaced @ out "},
    };
    auto& boxes = fx.tp.messageBox->boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        boxes.clear();
        dialog->show();
        dialog->txtEmail->clear();
        QTest::keyClicks(dialog->txtEmail, c.typed);
        dialog->cmdOK->click();
        EXPECT_EQ(boxes.empty() ? "|" : boxes[0].text + "|" + boxes[0].caption,
                  c.text + "|" + c.caption);
        EXPECT_EQ(dialog->isVisible(), boxes.size() == 1);
        EXPECT_EQ(fx.app.v.sCDDBEmail, c.kept);
    }
    dialog->show();
    dialog->txtEmail->setText("new@example.org");
    dialog->cmdCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(fx.app.v.sCDDBEmail, "  spaced @ out ") << "Cancel leaves the address alone";
    delete dialog.data();
}
