#include "hid_choice.h"

#include "hidapi_backend.h"
#include "virtual_mouse.h"

#include <QFile>
#include <QtGlobal>

namespace j2::compose {

QString virtualMouseSocketFromEnvironment()
{
    return qEnvironmentVariable("J2_VIRTUAL_MOUSE");
}

std::shared_ptr<hid::Backend> makeHidBackend(const QString& virtualMouseSocket)
{
    if (!virtualMouseSocket.isEmpty())
        return vm::makeSocketBackend(QFile::encodeName(virtualMouseSocket).toStdString());
    return hid::makeHidapiBackend();
}

} // namespace j2::compose
