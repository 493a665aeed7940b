#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace vornap::platform {

// ShellExecuteA with the default verb: open a document or address.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool shellExecute(QWidget* owner, const QString& verb, const QString& file,
                              const QString& parameters, const QString& directory,
                              int showCommand) = 0;
};

// HtmlHelpA: show the help file.
class HelpViewer {
public:
    static constexpr std::uint32_t HH_DISPLAY_TOPIC = 0;
    virtual ~HelpViewer() = default;
    virtual bool htmlHelp(QWidget* owner, const QString& helpFile, std::uint32_t command,
                          std::uintptr_t data) = 0;
};

class DesktopShell final : public Shell {
public:
    bool shellExecute(QWidget* owner, const QString& verb, const QString& file,
                      const QString& parameters, const QString& directory,
                      int showCommand) override;
};

class DesktopHelpViewer final : public HelpViewer {
public:
    bool htmlHelp(QWidget* owner, const QString& helpFile, std::uint32_t command,
                  std::uintptr_t data) override;
};

} // namespace vornap::platform
