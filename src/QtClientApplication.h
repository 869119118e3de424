// The player's application object. Under X11 it watches the root window's
// "_MB_CURRENT_APP_WINDOW" property, through which the window manager says
// which application is in front, and the main view's window being unmapped
// and mapped again, and tells the main view.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QApplication>

#include <cstdint>

class MainView;

class QtClientApplication : public QApplication, public QAbstractNativeEventFilter {
public:
    QtClientApplication(int& argc, char** argv);
    ~QtClientApplication() override;

    // Not owned; null until the window is about to be shown.
    MainView* view = nullptr;

    // Sees every X event before Qt; never swallows one.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void currentApplicationWindowChanged();
};
