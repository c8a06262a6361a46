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
#include <QQmlEngine>
#include <QQuickItem>
#include <QTimer>

#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <functional>

namespace {

constexpr int kScreenshotWaitMs = 10000;
constexpr int kScreenshotPollMs = 50;
// Lets the revealed frame's pictures and the busy text's fade finish before the capture, and before
// start-up's leftovers are released (so that theirs go too, and the fade is not held up).
constexpr int kScreenshotSettleMs = 300;
constexpr int kReleaseSettleMs = kScreenshotSettleMs;

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

// Runs `action` from the event loop after the first paint of a widget once `condition` holds.
class AfterPaint : public QObject
{
public:
    AfterPaint(QWidget* watched, std::function<bool()> whenToAct, std::function<void()> whatToDo)
        : QObject(watched), condition(std::move(whenToAct)), action(std::move(whatToDo))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done && condition()) {
            done = true;
            watched->removeEventFilter(this);
            // After the paint has been flushed.
            QTimer::singleShot(0, this, [this] { action(); });
        }
        return false;
    }

private:
    std::function<bool()> condition;
    std::function<void()> action;
    bool done = false;
};

void reportStartup(const char* label)
{
    std::fprintf(stderr, "j2-startup: %s\n", label);
    std::fflush(stderr);
}

// Building the scene leaves the compiler's and the loader's temporaries and the busy screen's script
// objects behind, and the allocator keeps the freed pages. The program then sits in the tray all day, so
// once the whole frame is on screen the engine collects its garbage and the freed memory goes back to the
// system.
void releaseStartupMemory(QQuickWidget* scene)
{
    if (scene->engine() != nullptr)
        scene->engine()->collectGarbage();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

void startConfigurator(Widget& widget)
{
    widget.checkDevice();
    if (!isDeviceFound.load())
        return;
    widget.showNormal();
    myQQuickView* scene = widget.sceneView();
    new AfterPaint(
        scene, [&widget] { return sceneShown(widget); },
        [scene] { QTimer::singleShot(kReleaseSettleMs, scene, [scene] { releaseStartupMemory(scene); }); });
    scene->initUI();
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
    new AfterPaint(
        scene, [] { return true; }, [] { reportStartup("first frame"); });
    new AfterPaint(
        scene, [&widget] { return sceneShown(widget); }, [] { reportStartup("frame shown"); });
}
