#include "scene_harness.h"

#include "device_flags.h"
#include "my_qquick_view.h"
#include "settings_root.h"
#include "start_up.h"
#include "widget.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQuickTest/quicktest.h>

#include <functional>

namespace scene {

namespace {

constexpr int kShowTimeoutMs = 5000;

// Dialogs answered from the test's lists, so that no test waits on a real one.
class ScriptedDialogs final : public FileDialogs
{
public:
    explicit ScriptedDialogs(std::shared_ptr<DialogAnswers> given) : answers(std::move(given)) {}
    QString getOpenFileName(const QString&, const QString&, const QString&) override
    {
        return answers->open.isEmpty() ? QString() : answers->open.takeFirst();
    }
    QString getSaveFileName(const QString&, const QString&, const QString&) override
    {
        return answers->save.isEmpty() ? QString() : answers->save.takeFirst();
    }
    void warning(const QString& title, const QString& text) override
    {
        answers->warnings.append(title + QStringLiteral(": ") + text);
    }

private:
    std::shared_ptr<DialogAnswers> answers;
};

} // namespace

Harness::Harness(Options givenOptions) : options(std::move(givenOptions)) {}

Harness::~Harness()
{
    window.reset(); // waits for the device's last write before the mouse goes
    virtualMouse.reset();
}

bool Harness::start(bool waitUntilShown)
{
    // Made as on a user's first run.
    if (!settingsRoot.isValid() || !prepareSettingsRoot(folder(), factoryFolder()))
        return false;
    QDir::setCurrent(folder());
    {
        QSettings config(QStringLiteral("modules/setting/apConfig.bin"), QSettings::IniFormat);
        config.setValue(QStringLiteral("common/language"), options.language);
        if (!options.appList.isEmpty()) {
            config.setValue(QStringLiteral("common/total"), options.appList.size());
            for (qsizetype i = 0; i < options.appList.size(); ++i)
                config.setValue(QStringLiteral("common/%1").arg(i), options.appList.at(i));
        }
    }
    if (options.seed && !options.seed(folder()))
        return false;
    isDeviceFound = false;
    isDemoMode = false;
    isEncode = false;
    virtualMouse = std::make_unique<j2::vm::VirtualMouse>(options.mouse);
    StoreLocations locations;
    locations.factory = factoryFolder();
    locations.settings = folder();
    window = std::make_unique<Widget>(
        locations, std::shared_ptr<j2::hid::Backend>(j2::vm::makeInProcessBackend(*virtualMouse)));
    window->move(100, 80);
    view().replaceFileDialogs(std::make_unique<ScriptedDialogs>(dialogAnswers));
    startConfigurator(*window);
    if (!waitUntilShown)
        return true;
    if (!QTest::qWaitFor([this] { return sceneShown(*window); }, kShowTimeoutMs))
        return false;
    return waitUnlocked() && QTest::qWaitForWindowExposed(window.get());
}

QString Harness::factoryFolder()
{
    return QStringLiteral(J2_SOURCE_DIR);
}

myQQuickView& Harness::view() const
{
    return *window->sceneView();
}

QQuickItem* Harness::root() const
{
    return view().rootObject();
}

QQuickItem* Harness::item(const QString& objectName) const
{
    // Views and positioners make and place their items when the scene is next polished.
    if (root() != nullptr)
        QQuickTest::qWaitForPolish(view().quickWindow());
    // Through the visual tree: items a Repeater makes are visual children only.
    std::function<QQuickItem*(QQuickItem*)> search = [&](QQuickItem* from) -> QQuickItem* {
        if (from->objectName() == objectName)
            return from;
        for (QQuickItem* child : from->childItems())
            if (QQuickItem* found = search(child))
                return found;
        return nullptr;
    };
    QQuickItem* found = root() != nullptr ? search(root()) : nullptr;
    if (found == nullptr)
        qWarning().noquote() << "no scene item named" << objectName; // says which name a failing test missed
    return found;
}

QVariant Harness::value(const QString& objectName, const char* property) const
{
    const QQuickItem* found = item(objectName);
    return found != nullptr ? found->property(property) : QVariant();
}

QVariant Harness::call(const char* function, const QVariantList& arguments) const
{
    QVariant result;
    QGenericArgument args[4];
    for (int i = 0; i < arguments.size() && i < 4; ++i)
        args[i] = Q_ARG(QVariant, arguments[i]);
    QMetaObject::invokeMethod(root(), function, Qt::DirectConnection, Q_RETURN_ARG(QVariant, result), args[0],
                              args[1], args[2], args[3]);
    return result;
}

bool Harness::save()
{
    click(item(QStringLiteral("saveButton")));
    return waitUnlocked(10000);
}

bool Harness::waitUnlocked(int timeoutMs) const
{
    return QTest::qWaitFor(
        [this] { return view().isEnabled() && !value(QStringLiteral("protectUIItem"), "visible").toBool(); },
        timeoutMs);
}

QPoint Harness::windowPoint(const QQuickItem* target, QPointF at) const
{
    // Positioners and anchors place new items when the scene is next polished: ask after that.
    QQuickTest::qWaitForPolish(view().quickWindow());
    if (at.x() < 0 && at.y() < 0)
        at = QPointF(target->width() / 2, target->height() / 2);
    // The scene fills the window from its top-left corner.
    return view().mapTo(window.get(), target->mapToScene(at).toPoint());
}

void Harness::press(QPoint at, Qt::MouseButton button)
{
    QTest::mousePress(window->windowHandle(), button, Qt::NoModifier, at);
}

void Harness::moveTo(QPoint at)
{
    QTest::mouseMove(window->windowHandle(), at);
}

void Harness::release(QPoint at, Qt::MouseButton button)
{
    QTest::mouseRelease(window->windowHandle(), button, Qt::NoModifier, at);
}

void Harness::click(const QQuickItem* target, Qt::MouseButton button)
{
    reveal(target);
    const QPoint at = windowPoint(target);
    moveTo(at);
    press(at, button);
    release(at, button);
    QCoreApplication::processEvents();
}

void Harness::doubleClick(const QQuickItem* target)
{
    reveal(target);
    const QPoint at = windowPoint(target);
    moveTo(at);
    // Press, release, press, release within the double-click interval, as a user's double click comes.
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
    QCoreApplication::processEvents();
}

void Harness::hover(const QQuickItem* target)
{
    moveTo(windowPoint(target));
    QCoreApplication::processEvents();
}

void Harness::drag(QPoint from, QPoint delta, int steps)
{
    QWindow* handle = window->windowHandle();
    const QPoint startOnScreen = handle->mapToGlobal(from);
    moveTo(from);
    press(from);
    for (int step = 1; step <= steps; ++step) {
        const QPoint onScreen = startOnScreen + delta * step / steps;
        // The window may have followed the pointer: where the pointer is now, in the window's terms.
        moveTo(handle->mapFromGlobal(onScreen));
        QCoreApplication::processEvents();
    }
    release(handle->mapFromGlobal(startOnScreen + delta));
    QCoreApplication::processEvents();
}

QList<j2::vm::WireEntry> Harness::sentReports() const
{
    window->device().waitForPendingWrite();
    QList<j2::vm::WireEntry> found;
    for (const j2::vm::WireEntry& entry : virtualMouse->wireLog())
        if (entry.kind == "feature-set" && entry.iface == j2::vm::Interface::Control)
            found.append(entry);
    return found;
}

j2::vm::DeviceState Harness::deviceState() const
{
    window->device().waitForPendingWrite();
    return virtualMouse->state();
}

void Harness::reveal(const QQuickItem* target) const
{
    for (QQuickItem* ancestor = target->parentItem(); ancestor != nullptr;
         ancestor = ancestor->parentItem()) {
        if (!ancestor->inherits("QQuickFlickable"))
            continue;
        const QQuickItem* content = ancestor->property("contentItem").value<QQuickItem*>();
        const qreal top = target->mapToItem(content, QPointF(0, 0)).y();
        const qreal viewHeight = ancestor->height();
        const qreal contentY = ancestor->property("contentY").toReal();
        const qreal range = qMax<qreal>(0, ancestor->property("contentHeight").toReal() - viewHeight);
        if (top < contentY)
            ancestor->setProperty("contentY", qBound<qreal>(0, top, range));
        else if (top + target->height() > contentY + viewHeight)
            ancestor->setProperty("contentY", qBound<qreal>(0, top + target->height() - viewHeight, range));
        QCoreApplication::processEvents();
        return;
    }
}

void Harness::clearWire() const
{
    window->device().waitForPendingWrite();
    virtualMouse->clearWireLog();
}

void Harness::screenshot(const QString& name) const
{
    const QString folder = qEnvironmentVariable("J2_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QQuickTest::qWaitForPolish(view().quickWindow());
    QTest::qWait(50); // the next frame, with what the last gesture changed
    QDir().mkpath(folder);
    window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

std::unique_ptr<QSettings> Harness::profileFile(int slot) const
{
    return std::make_unique<QSettings>(view().profileStore().slotFile(slot), QSettings::IniFormat);
}

std::unique_ptr<QSettings> Harness::appConfigFile() const
{
    return std::make_unique<QSettings>(folder() + QStringLiteral("/modules/setting/apConfig.bin"),
                                       QSettings::IniFormat);
}

} // namespace scene
