// The window side shared by every main view: the host services of
// BasicFrameworkServices plus repaint requests that follow the rotation.
#pragma once

#include "BasicFrameworkServices.h"

#include <QRect>
#include <QWidget>

class MainViewBase : public QWidget, public BasicFrameworkServices {
public:
    explicit MainViewBase(const Str16& applicationDirectory);

    // True while the back buffer is shown turned by a quarter.
    virtual bool isRotated() = 0;

    void updateArea(int x, int y, int width, int height) override;

    // The part of a `widget`-sized window that buffer rectangle (x, y, width,
    // height) covers; empty when none.
    static QRect areaOnWindow(int x, int y, int width, int height, bool rotated, const QSize& widget);
};
