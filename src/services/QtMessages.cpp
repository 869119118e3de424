#include "QtMessages.h"

#include <QString>
#include <QtGlobal>

namespace Lumbra {

namespace {

QtMessageHandler passedOn = nullptr;

void filterMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    // Qt answers its default handler when none was installed before.
    if (passedOn)
        passedOn(type, context, message);
}

} // namespace

void dropRuntimeDirWarning()
{
    const QtMessageHandler previous = qInstallMessageHandler(filterMessage);
    if (previous != filterMessage)
        passedOn = previous;
}

} // namespace Lumbra
