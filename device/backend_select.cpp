#include "backend_select.h"

#include "hidapi_backend.h"
#include "virtual_mouse.h"

#include <QByteArray>
#include <QtGlobal>

namespace j2::hid {

std::shared_ptr<Backend> makeDefaultBackend()
{
    const QByteArray socket = qgetenv("J2_VIRTUAL_MOUSE");
    if (!socket.isEmpty())
        return vm::makeSocketBackend(socket.toStdString());
    return makeHidapiBackend();
}

} // namespace j2::hid
