#pragma once

#include "app/application.h"
#include "options/fieldreader.h"

namespace vornap {

// Reads the options file into the option strings. A missing file is first
// created with workable defaults.
void CheckOptions(Application& app);
// Writes the option strings back to the options file. When the file cannot
// be replaced (read-only directory, disk full) it keeps its old record and a
// message box tells the user.
void SaveOptions(Application& app);
QString saveFailureText(const Application& app, const QString& description);

// The options file's text for the option strings, and the reading of it
// back (items past the end of a short file take a new file's values).
QByteArray OptionsRecord(const Variables& v);
void ReadOptions(Variables& v, FieldReader& reader);

// App.Path followed by the options file's name.
QString optionsFilePath(const Application& app);

// The partial readers: open the options file, read its first fields, close
// it. Every field but the last one read goes into sDummy.
String storedDriveToUse(Application& app);   // field 4, "CD-ROM Drive to Use"
String storedEmailAddress(Application& app); // field 16, "Email Address for CDDB"

} // namespace vornap
