// glyphstrip [--size PIXELS] OUTPUT.png: writes the bitmap-font strip of the
// characters 32 to 126 in the hosts' default font at PIXELS (default 20)
// pixels. Runs without a display.
#include "DefaultFont.h"
#include "GlyphStrip.h"
#include "QtMessages.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    int pixels = 20;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size" && i + 1 < argc)
            pixels = std::atoi(argv[++i]);
        else if (!output)
            output = argv[i];
        else
            output = nullptr, i = argc;
    }
    if (!output || pixels < 4 || pixels > 200) {
        std::fprintf(stderr, "usage: glyphstrip [--size PIXELS] OUTPUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Lumbra::dropRuntimeDirWarning();
    QGuiApplication application(argc, argv);
    if (!GlyphStrip::render(DefaultFont::font(pixels)).save(QString::fromLocal8Bit(output), "PNG")) {
        std::fprintf(stderr, "glyphstrip: cannot write %s\n", output);
        return 1;
    }
    return 0;
}
