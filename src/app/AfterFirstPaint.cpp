#include "app/AfterFirstPaint.h"

#include <QEvent>
#include <QMetaObject>

namespace {

/// Watches the window until its first paint, then queues the work behind that paint
/// (so the paint itself never waits for it) and goes.
class TFirstPaintWatch : public QObject {
public:
    TFirstPaintWatch(QWidget* window, std::function<void()> work)
        : QObject(window)
        , work_(std::move(work))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !queued_) {
            queued_ = true;
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    work_();
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> work_;
    bool queued_ = false;
};

} // namespace

void AfterFirstPaint(QWidget* window, std::function<void()> work)
{
    new TFirstPaintWatch(window, std::move(work));
}
