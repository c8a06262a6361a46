#include "start_up.h"

#include "app_log.h"
#include "demo_message.h"
#include "device_flags.h"
#include "my_qquick_view.h"
#include "user_event.h"
#include "widget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QQuickItem>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr int kScreenshotWaitMs = 10000;
constexpr int kScreenshotPollMs = 50;
// Lets the revealed frame's pictures and the busy text's fade finish before the capture.
constexpr int kScreenshotSettleMs = 300;

// Calls `done` once `condition` holds, checking every `pollMs` for at most `limitMs`; `expired` otherwise.
void whenTrue(QObject* context, std::function<bool()> condition, std::function<void()> done,
              std::function<void()> expired, int pollMs, int limitMs)
{
    auto* timer = new QTimer(context);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(timer, &QTimer::timeout, context, [=] {
        const bool met = condition();
        if (!met && clock.elapsed() < limitMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (met)
            done();
        else
            expired();
    });
    timer->start(pollMs);
}

// Reports the first paint of a widget after `condition` holds, once the paint has been flushed.
class PaintTrace : public QObject
{
public:
    PaintTrace(QWidget* watched, const char* reportedLabel, std::function<bool()> whenToReport)
        : QObject(watched), label(reportedLabel), condition(std::move(whenToReport))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !reported && condition()) {
            reported = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                std::fprintf(stderr, "j2-startup: %s\n", label);
                std::fflush(stderr);
            });
        }
        return false;
    }

private:
    const char* label;
    std::function<bool()> condition;
    bool reported = false;
};

} // namespace

void startConfigurator(Widget& widget)
{
    widget.checkDevice();
    if (!isDeviceFound.load())
        return;
    widget.showNormal();
    widget.sceneView()->initUI();
    QCoreApplication::postEvent(&widget, new UserEvent(UserEvent::kRunUI));
    if (isDemoMode.load())
        showTextPayload(makeTextPayload(kDemoText), &widget);
}

bool sceneShown(const Widget& widget)
{
    const QQuickItem* root = widget.sceneView()->rootObject();
    return root != nullptr && root->property("uiShown").toBool();
}

void saveScreenshotAndQuit(Widget& widget, const QString& file)
{
    QPointer<Widget> window(&widget);
    whenTrue(
        &widget, [window] { return window && window->isVisible() && sceneShown(*window); },
        [window, file] {
            QTimer::singleShot(kScreenshotSettleMs, window, [window, file] {
                const bool saved = window->grab().save(file);
                if (!saved)
                    qCWarning(lcApp).noquote() << "screenshot: cannot write" << file;
                QCoreApplication::exit(saved ? 0 : 1);
            });
        },
        [] {
            qCWarning(lcApp) << "screenshot: the window was not shown (no mouse answered)";
            QCoreApplication::exit(1);
        },
        kScreenshotPollMs, kScreenshotWaitMs);
}

void traceStartup(Widget& widget)
{
    if (qEnvironmentVariableIsEmpty("J2_TRACE_STARTUP"))
        return;
    QWidget* scene = widget.sceneView();
    new PaintTrace(scene, "first frame", [] { return true; });
    new PaintTrace(scene, "frame shown", [&widget] { return sceneShown(widget); });
}
