#pragma once

#include <QString>
#include <stdexcept>

namespace vornap {

// A run-time failure as the working procedures report it: a number and the
// description that the fatal box shows.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description) {}

    int number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

namespace errors {
inline RuntimeError invalidProcedureCall() { return {5, "Invalid procedure call or argument"}; }
inline RuntimeError overflow() { return {6, "Overflow"}; }
inline RuntimeError subscriptOutOfRange() { return {9, "Subscript out of range"}; }
inline RuntimeError typeMismatch() { return {13, "Type mismatch"}; }
inline RuntimeError fileNotFound() { return {53, "File not found"}; }
inline RuntimeError badFileMode() { return {54, "Bad file mode"}; }
inline RuntimeError diskFull() { return {61, "Disk full"}; }
inline RuntimeError inputPastEndOfFile() { return {62, "Input past end of file"}; }
inline RuntimeError deviceUnavailable() { return {68, "Device unavailable"}; }
inline RuntimeError permissionDenied() { return {70, "Permission denied"}; }
inline RuntimeError diskNotReady() { return {71, "Disk not ready"}; }
inline RuntimeError pathFileAccess() { return {75, "Path/File access error"}; }
inline RuntimeError pathNotFound() { return {76, "Path not found"}; }
inline RuntimeError invalidPicture() { return {481, "Invalid picture"}; }
} // namespace errors

} // namespace vornap
