#pragma once

#include "app/application.h"
#include "app/widgets.h"
#include "options/fieldreader.h"

#include <QDialog>
#include <optional>

class QPushButton;

namespace vornap {

// The update check dialog.
class frmUpdate : public QDialog {
    Q_OBJECT
public:
    explicit frmUpdate(Application& app, QWidget* parent = nullptr);

    Application& app;

    PlainLabel* lblVersion;
    PlainLabel* lblServerVersion;
    PlainLabel* lblUpdate;
    QPushButton* cmdGetUpdate;
    QPushButton* cmdCancel;

    // The version text compared with the server's; the program's own unless
    // a test sets another before the check.
    QString sVersionText;

    void Form_Load();
    void cmdGetUpdate_Click();
    void cmdCancel_Click();

    void DoStuff();
    bool DownloadFile(const QString& url, const QString& localPath);
    bool FileExist(const QString& path);

    // Where the update file is fetched from and copied to.
    static QString UpdateFileUrl();
    QString LocalCopyPath() const;

private:
    void check();
    // The update file's first field; nothing when the file holds no field.
    std::optional<QString> ReadServerVersion(const QString& path);
};

// The version an update file gives: its first field, or nothing when the file
// holds no field.
std::optional<QString> UpdateFileVersion(FieldReader& file);

// Creates the dialog, loads it and shows it modally; it is gone when closed.
void ShowUpdateDialog(Application& app, QWidget* owner);

} // namespace vornap
