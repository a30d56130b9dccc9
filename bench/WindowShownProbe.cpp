// Loaded into a Qt program with LD_PRELOAD by window_start_bench: when the first window
// is painted, prints the milliseconds from TINSELWICK_LAUNCHED_NS (the launcher's
// monotonic clock just before it started the program) to then, and ends the program.

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class TFirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()
            && !reported_) {
            reported_ = true;
            timespec now {};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const double launched = std::strtod(std::getenv("TINSELWICK_LAUNCHED_NS"), nullptr);
            const double ns = static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
            std::printf("%.3f\n", (ns - launched) * 1e-6);
            std::fflush(stdout);
            // Quit once the paint is done, as a user would close the window.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    bool reported_ = false;
};

void WatchForTheFirstPaint()
{
    if (std::getenv("TINSELWICK_LAUNCHED_NS") != nullptr)
        qApp->installEventFilter(new TFirstPaint);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForTheFirstPaint)
