#include "ui/FileErrorText.h"

#include "platform/gui/QtAnsi.h"

#include <QFile>

#include <optional>

std::string WithDisplayablePath(std::string message, const std::string& nativePath)
{
    if (nativePath.empty())
        return message;
    const std::optional<std::string> shown = QStringToAnsi(QFile::decodeName(QByteArray::fromStdString(nativePath)));
    if (!shown || *shown == nativePath)
        return message;
    for (std::size_t at = message.find(nativePath); at != std::string::npos;
         at = message.find(nativePath, at + shown->size()))
        message.replace(at, nativePath.size(), *shown);
    return message;
}
