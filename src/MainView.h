// The player's one window: the back buffer the application draws on,
// input, paint, show/hide and display-status events turned into entry-point
// calls, orientation, and the window's host services. As on the handset it
// covers the whole screen and the buffer is the window's size; presented on
// a desktop, the buffer is the logical screen's size and is shown scaled
// and letterboxed in the window, pointer positions mapped back to it.
#pragma once

#include "Keymap.h"
#include "Letterbox.h"
#include "MainViewBase.h"
#include "PlayerOptions.h"
#include "ReplayTarget.h"
#include "ScreenCanvases.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QSet>

#include <functional>
#include <memory>

class QTimer;
class RunRecorder;
class RunReplayer;
class OpProfile;
class VirtualMachine;

class MainView : public MainViewBase, public ReplayTarget {
    Q_OBJECT
public:
    explicit MainView(const Str16& applicationDirectory,
                      Lumbra::Presentation presentation = Lumbra::Presentation::Handset);
    ~MainView() override;

    // Creates the machine, loads "index.mcb" from the application directory
    // and runs its main; a missing image ends the process with status 1.
    // A `profile` counts every instruction the machine runs from its start.
    void startApplication(OpProfile* profile = nullptr);
    // The window manager's view of whether this window is the current one.
    void setActive(bool active);
    // The desktop's view: the window mapped and not minimised (true), or
    // unmapped or minimised. Only a change reaches the application.
    void setShownOnDesktop(bool shown);
    // Ends the player as the application's exit request does: open writers
    // written out, the log file flushed; the event loop then returns 0, or 1
    // when written bytes were lost.
    void endInOrder();

    bool isRotated() override;
    const QPixmap& backBuffer() const { return buffer; }

    // The logical screen (800 x 480, or 480 x 800 in portrait) as the
    // application draws all of it now, unscaled and unturned.
    QImage logicalScreen();
    // The folder the screenshot key saves in; empty: the default one.
    void setScreenshotFolder(const QString& folder) { screenshotFolder = folder; }

    // Runs once when the player ends, by the event loop's return or by the
    // application's exit request (which leaves no loop to return).
    void setAtEnd(std::function<void()> work) { atEnd = std::move(work); }
    void runAtEnd();
    [[noreturn]] void exit(int status) override;

    // ---- the desktop's player controls (MainViewControls.cpp)
    void setKeymap(const Lumbra::Keymap& map) { keymap = map; }
    // The player's clock runs `speed` times as fast as real time.
    void setSpeed(double speed);
    // Paused, the application hears nothing and its sounds and clock stand still.
    void setPaused(bool paused);
    bool isPaused() const { return paused; }
    // While paused: one step of the clock, the timers that became due, a redraw.
    void step();
    // The volume (0..100) and mute of every sound of the application.
    void setSoundLevel(int volume, bool muted);
    void setOverlayShown(bool shown);
    bool overlayShown() const { return overlay; }

    // ---- recording and replaying a run (MainViewReplay.cpp)
    // Every delivery, outside read and draw's screen goes to `recorder` (not owned).
    void setRecorder(RunRecorder* recorder);
    // The run is driven by `replayer` (not owned): no real input reaches the
    // application, timers run only when it says, and the window system's
    // repaints show the last frame.
    void setReplayer(RunReplayer* replayer);
    void replayKey(int code, int scanCode, const QString& text, bool pressed) override;
    void replayPointer(int action, int x, int y) override;
    bool replayTimer(int id) override;
    void replayActivity(bool foreground) override;
    bool replayDevice(const QJsonObject& event) override;
    QImage replayDraw(const QRegion& region) override;
    // The logical screen as the last draw left it, without calling the application.
    QImage currentFrame();

    // ---- window services
    void updateArea(int x, int y, int width, int height) override;
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
    void closeEvent(QCloseEvent* event) override;

private:
    bool presented() const { return presentation != Lumbra::Presentation::Handset; }
    QSize logicalSize();
    // Where the logical screen shows in the window while presented.
    Lumbra::Letterbox letterbox();
    // The presented window's title, buffer and first size.
    void setUpPresentation();
    // A buffer of the logical screen's size, and in a window a size to fit it.
    void fitToLogicalScreen();
    // The window's size and state for the presentation: the screen's whole
    // area, or the largest whole multiple of the logical screen that fits.
    void fitWindow();
    // The keys of the player's own (Ctrl+Q; presented also F11, Alt+Enter,
    // F12 and the controls); true when `event` was one of them and must not
    // reach the application.
    bool playerKey(QKeyEvent* event);
    // Fast-forward while the key is held.
    void setFastForward(bool on);
    // The pause mark and the overlay, drawn on the window only.
    void paintControls(QPainter& painter);
    // Takes the overlay's figures and repaints it alone.
    void sampleOverlay();
    // F11 and Alt+Enter: the scaled window becomes full screen and back.
    void switchPresentation();
    // Says once when the handset presentation's window cannot show the whole logical screen.
    void checkWindowCoversScreen();
    void paintPresented(QPaintEvent* event);
    // The screenshot key's work: the logical screen saved under a new name.
    void saveScreenshot();
    // Tells the application about a change of (display on AND window active).
    // `fromDesktop`: the desktop hid or showed the window, which the
    // application hears about even when it was never told it was in front.
    void reportActivity(bool fromDesktop = false);
    void deliverKeyEvent(QKeyEvent* event, int pressed);
    void deliverKey(int code, int scanCode, const QString& text, bool pressed);
    void deliverPointer(int kind, int x, int y);
    void deliverActivity(bool foreground);
    void deliverPointerEvent(QMouseEvent* event, int kind);
    // Lets the application draw on the back buffer through a screen canvas.
    void drawApplication(const QRegion& region);

    QPixmap buffer;
    // Screen canvases still painting on `buffer`; ended before it is painted again or replaced.
    ScreenCanvases canvases;
    bool windowActive = false;
    bool displayOn = true;
    Lumbra::Presentation presentation;
    bool shownOnDesktop = true;
    // Keys of the player's own pressed and not yet released: their releases are the player's too.
    QSet<int> heldPlayerKeys;
    bool coverageChecked = false;
    QString screenshotFolder;
    // While presented: a press on the logical screen awaits its release.
    bool pointerHeld = false;
    std::function<void()> atEnd;
    Lumbra::Keymap keymap;
    bool paused = false;
    // A step's redraw reaches the application although the player is paused.
    bool drawWhilePaused = false;
    double chosenSpeed = 1.0;
    bool fastForward = false;
    bool overlay = false;
    // The overlay's figures, taken once a second while it shows.
    QTimer* overlayTimer = nullptr;
    QElapsedTimer sinceSample;
    int drawsCounted = 0;
    TUint64 ticksAtSample = 0;
    double drawsPerSecond = 0, ticksPerSecond = 0;
    qint64 heapLive = 0, heapTotal = 0, collectionMicros = 0;
    // Where the overlay was last drawn, in window coordinates.
    QRect overlayBox;
    // The next paint only renews the overlay: the application is not called.
    bool overlayOnlyPaint = false;
    RunRecorder* recorder = nullptr;
    RunReplayer* replayer = nullptr;
    // Declared last so it goes first: managed graphics objects paint on `buffer`.
    std::unique_ptr<VirtualMachine> machine;
};
