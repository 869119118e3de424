// A Qt GUI application for in-process tests that paint: pixmaps and fonts
// need one; the offscreen platform needs no display.
#pragma once

#include <QGuiApplication>

namespace TestSupport {

inline void ensureGuiApplication()
{
    static int argc = 1;
    static char name[] = "lumbra_tests";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}

} // namespace TestSupport
