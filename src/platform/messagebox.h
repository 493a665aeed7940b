#pragma once

#include <QString>

class QWidget;

namespace vornap::platform {

// An OK-only message box without an icon; blocks until closed.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(QWidget* owner, const QString& text, const QString& caption) = 0;
};

class QtMessageBox final : public MessageBox {
public:
    void show(QWidget* owner, const QString& text, const QString& caption) override;
};

} // namespace vornap::platform
