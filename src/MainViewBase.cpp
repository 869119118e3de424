#include "MainViewBase.h"

MainViewBase::MainViewBase(const Str16& applicationDirectory)
    : QWidget(nullptr)
    , BasicFrameworkServices(applicationDirectory)
{
}

QRect MainViewBase::areaOnWindow(int x, int y, int width, int height, bool rotated, int widgetHeight)
{
    if (!rotated)
        return QRect(x, y, width, height);
    return QRect(y, widgetHeight - x - width, height, width);
}

void MainViewBase::updateArea(int x, int y, int width, int height)
{
    update(areaOnWindow(x, y, width, height, isRotated(), this->height()));
}
