// Defaults for the slots that need a window, and the extension call. Without
// a window nothing is painted; a window host replaces these.
#include "BasicFrameworkServices.h"

void BasicFrameworkServices::updateArea(int, int, int, int)
{
}

void BasicFrameworkServices::setScreenFlag(bool)
{
}

void BasicFrameworkServices::setOrientation(int value)
{
    orientation = value;
}

int BasicFrameworkServices::getOrientation()
{
    return orientation;
}

int BasicFrameworkServices::callExtension(int extension, int operation, int top, TWord* stackBase)
{
    return extensions.call(extension, unsigned(operation), top, stackBase);
}

void BasicFrameworkServices::getScreenSize(int& width, int& height)
{
    const bool landscape = orientation == ORIENTATION_LANDSCAPE;
    width = landscape ? SCREEN_LONG_SIDE : SCREEN_SHORT_SIDE;
    height = landscape ? SCREEN_SHORT_SIDE : SCREEN_LONG_SIDE;
}

void BasicFrameworkServices::encodeNotify(int)
{
}

void BasicFrameworkServices::orientationListenerAdded(TWord)
{
}

void BasicFrameworkServices::orientationListenerRemoved(TWord)
{
}
