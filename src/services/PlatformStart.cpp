#include "PlatformStart.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace Lumbra {

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
QList<HeldMessage>* held = nullptr;
std::string programName;
std::string hintText;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        held->append(HeldMessage{type, QByteArray(context.category ? context.category : ""), text});
        return;
    }
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        platform = "xcb";
    std::fprintf(stderr,
                 "%s: cannot open the display: Qt's platform \"%s\" did not start (is DISPLAY set?); %s\n",
                 programName.c_str(), platform.constData(), hintText.c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

void guardPlatformStart(const char* program, const char* hint)
{
    programName = program;
    hintText = hint;
    held = new QList<HeldMessage>;
    previousHandler = qInstallMessageHandler(holdMessage);
}

void platformStarted()
{
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& message : *held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    delete held;
    held = nullptr;
}

} // namespace Lumbra
