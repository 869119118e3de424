// Defaults for the slots that need a window, and the extension call. Without
// a window nothing is painted; a window host replaces these. Extensions
// come with BasicFrameworkServices.
#include "CoreFrameworkServices.h"

#include "VMError.h"

#include <string_view>

void CoreFrameworkServices::updateArea(int, int, int, int)
{
}

void CoreFrameworkServices::setScreenFlag(bool)
{
}

void CoreFrameworkServices::setOrientation(int value)
{
    orientation = value;
}

int CoreFrameworkServices::getOrientation()
{
    return orientation;
}

int CoreFrameworkServices::callExtension(int, int, int, TWord*)
{
    Lumbra::throwError(Lumbra::EVM, std::string_view("Dll not supported"));
}

void CoreFrameworkServices::getScreenSize(int& width, int& height)
{
    const bool landscape = orientation == ORIENTATION_LANDSCAPE;
    width = landscape ? SCREEN_LONG_SIDE : SCREEN_SHORT_SIDE;
    height = landscape ? SCREEN_SHORT_SIDE : SCREEN_LONG_SIDE;
}

void CoreFrameworkServices::encodeNotify(int)
{
}

void CoreFrameworkServices::orientationListenerAdded(TWord)
{
}

void CoreFrameworkServices::orientationListenerRemoved(TWord)
{
}
