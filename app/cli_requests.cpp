#include "cli_requests.h"

#include "app_log.h"
#include "commands.h"
#include "device_flags.h"
#include "device_table.h"
#include "my_qquick_view.h"
#include "session.h"
#include "widget.h"

#include <optional>

QByteArray runCliRequest(Widget& widget, const QByteArray& request)
{
    myQQuickView& view = *widget.sceneView();
    // The store's import and export ask the dialogs for a file: for this request, the one j2ctl named.
    auto named = std::make_unique<NamedFile>();
    NamedFile& files = *named;
    view.replaceFileDialogs(std::move(named));

    std::optional<Session> session;
    DeviceBridge* bridge = view.deviceBridge();
    MacroSender* sender = view.macroSender();
    if (bridge != nullptr && sender != nullptr) {
        session.emplace(widget.device(), view.appConfig(), view.profileStore(), *bridge, view.macroLibrary(),
                        view.gunLibrary(), view.nameList(), *sender, files);
        session->pointer = view.pointerBridge();
        session->describe(loadDeviceTable(kDeviceTableResource, view.appConfig().productNames()).records);
    }
    qCDebug(lcApp) << "j2ctl: running a forwarded request";
    const QByteArray answer = j2::cli::runForwarded(request, session ? &*session : nullptr,
                                                    isDeviceFound.load() && !isDemoMode.load());
    // The answer means done: the last write has reached the mouse before the script goes on.
    widget.device().waitForPendingWrite();
    view.replaceFileDialogs(makeQtFileDialogs(&view));
    view.reloadPages();
    return answer;
}
