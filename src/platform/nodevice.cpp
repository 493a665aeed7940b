#include "platform/nodevice.h"

#include <QByteArray>

namespace vornap::platform {

std::uint32_t NoDeviceMci::sendString(std::string_view command, char* answer,
                                      std::uint32_t answerLength) {
    if (answer && answerLength > 0)
        answer[0] = '\0';
    const QByteArray verb =
        QByteArray(command.data(), qsizetype(command.size())).trimmed().split(' ').value(0).toLower();
    if (verb == "close" && QByteArray(command.data(), qsizetype(command.size())).toLower().contains("all"))
        return mcierr::ok;
    if (verb == "open")
        return mcierr::invalidFile;
    return mcierr::invalidDeviceName;
}

} // namespace vornap::platform
