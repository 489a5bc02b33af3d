// Writes what an X window shows as a PNG, for the process tests and the README's screenshots.
//   grab_window WINDOW_ID OUT.png     (WINDOW_ID as xdotool prints it; 0 grabs the whole screen)
#include <cstdio>
#include <cstdlib>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>

int main(int argc, char** argv)
{
    // The scale factor of the program under test must not scale the grab.
    qunsetenv("QT_SCALE_FACTOR");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: grab_window WINDOW_ID OUT.png\n");
        return 2;
    }
    bool number = false;
    const WId window = QString::fromLocal8Bit(argv[1]).toULongLong(&number);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!number || !screen) {
        std::fprintf(stderr, "grab_window: bad window id or no screen\n");
        return 2;
    }
    const QPixmap shot = screen->grabWindow(window);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "grab_window: could not grab window %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
