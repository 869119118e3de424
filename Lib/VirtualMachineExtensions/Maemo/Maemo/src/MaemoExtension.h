// Extension 37, the desktop shell: operation 1 sends the shell its
// exit-application-view signal on the message bus and waits until the
// sending command has finished.
#pragma once

#include "ExtensionCall.h"

class MaemoExtension : public VMExtension {
public:
    static constexpr const char* EXIT_APP_VIEW_COMMAND =
        "dbus-send --type=signal /lofasz com.nokia.hildon_desktop.exit_app_view";

    explicit MaemoExtension(VirtualMachine& vm);
    int call(unsigned operation, int top, TWord* stack) override;

private:
    VirtualMachine& vm;
};
