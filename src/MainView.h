// The player's one full-screen window: the back buffer the application
// draws on, input, paint, show/hide and display-status events turned into
// entry-point calls, orientation, and the window's host services.
#pragma once

#include "MainViewBase.h"

#include <QPixmap>

#include <memory>

class VirtualMachine;

class MainView : public MainViewBase {
    Q_OBJECT
public:
    explicit MainView(const Str16& applicationDirectory);
    ~MainView() override;

    // Creates the machine, loads "index.mcb" from the application directory
    // and runs its main; a missing image ends the process with status 1.
    void startApplication();
    // The window manager's view of whether this window is the current one.
    void setActive(bool active);

    bool isRotated() override;
    const QPixmap& backBuffer() const { return buffer; }

    // ---- window services
    void setOrientation(int orientation) override;

    static constexpr int ORIENTATION_PORTRAIT = 1;

public Q_SLOTS:
    void displaySignal(const QString& status);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Tells the application about a change of (display on AND window active).
    void reportActivity();
    void deliverKeyEvent(QKeyEvent* event, int pressed);
    void deliverPointerEvent(QMouseEvent* event, int kind);
    // Lets the application draw on the back buffer through a screen canvas.
    void drawApplication(const QRegion& region);

    QPixmap buffer;
    bool windowActive = false;
    bool displayOn = true;
    // Declared last so it goes first: managed graphics objects paint on `buffer`.
    std::unique_ptr<VirtualMachine> machine;
};
