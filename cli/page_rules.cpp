#include "page_rules.h"

#include "cli_log.h"

#include <QFile>

namespace {

QJSValue intArray(QJSEngine& engine, const QList<int>& values)
{
    QJSValue array = engine.newArray(uint(values.size()));
    for (int i = 0; i < values.size(); ++i)
        array.setProperty(quint32(i), values.at(i));
    return array;
}

QList<int> intsOf(const QJSValue& array)
{
    QList<int> values;
    const int length = array.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < length; ++i)
        values.append(array.property(quint32(i)).toInt());
    return values;
}

} // namespace

PageRules::PageRules()
    : performance(load(QStringLiteral(":/page-rules/performance.js"))),
      lighting(load(QStringLiteral(":/page-rules/lighting.js")))
{}

QJSValue PageRules::load(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = resource + QStringLiteral(": ") + file.errorString();
        return {};
    }
    // A QML library's ".pragma library" line is QML's, not JavaScript's; the rest is plain script. Each
    // library runs in a function of its own so that the two keep their names apart, as QML keeps them.
    QString source = QString::fromUtf8(file.readAll());
    source.replace(QStringLiteral(".pragma library"), QString());
    const QString wrapped =
        QStringLiteral("(function () {\n") + source +
        QStringLiteral("\nreturn { dpiArguments: typeof dpiArguments === 'function' ? "
                       "dpiArguments : undefined, colourFromBytes: typeof colourFromBytes "
                       "=== 'function' ? colourFromBytes : undefined, loadedEffect: "
                       "typeof loadedEffect === 'function' ? loadedEffect : undefined, "
                       "setLedArguments: typeof setLedArguments === 'function' ? "
                       "setLedArguments : undefined, sendValues: typeof sendValues === "
                       "'function' ? sendValues : undefined, sensitivityValue: typeof "
                       "sensitivityValue === 'function' ? sensitivityValue : undefined };\n})()");
    QJSValue library = engine.evaluate(wrapped, resource);
    if (library.isError()) {
        failure = resource + QStringLiteral(": ") + library.toString();
        return {};
    }
    return library;
}

bool PageRules::ready(QString* reason) const
{
    if (reason != nullptr)
        *reason = failure;
    return failure.isEmpty();
}

QJSValue PageRules::call(const QJSValue& library, const char* function, const QJSValueList& arguments)
{
    QJSValue result = library.property(QString::fromLatin1(function)).call(arguments);
    if (result.isError())
        qCWarning(lcCli).noquote() << function << result.toString();
    return result;
}

PageRules::DpiArguments PageRules::dpiArguments(const QList<int>& values, const QList<bool>& flags,
                                                const QStringList& colours)
{
    QJSValue flagArray = engine.newArray(uint(flags.size()));
    for (int i = 0; i < flags.size(); ++i)
        flagArray.setProperty(quint32(i), flags.at(i));
    QJSValue colourArray = engine.newArray(uint(colours.size()));
    for (int i = 0; i < colours.size(); ++i)
        colourArray.setProperty(quint32(i), colours.at(i));
    const QJSValue sent =
        call(performance, "dpiArguments", {intArray(engine, values), flagArray, colourArray});
    return {intsOf(sent.property(QStringLiteral("values"))), intsOf(sent.property(QStringLiteral("codes"))),
            intsOf(sent.property(QStringLiteral("flags"))),
            intsOf(sent.property(QStringLiteral("colorBytes")))};
}

QString PageRules::colourFromBytes(const QList<int>& bytes, int stage)
{
    return call(performance, "colourFromBytes", {intArray(engine, bytes), stage}).toString();
}

PageRules::LoadedEffect PageRules::loadedEffect(const QList<int>& stored)
{
    const QJSValue loaded = call(lighting, "loadedEffect", {intArray(engine, stored)});
    const QJSValue toggles = loaded.property(QStringLiteral("toggles"));
    const int mask = (toggles.property(QStringLiteral("left")).toBool() ? 1 : 0) |
                     (toggles.property(QStringLiteral("right")).toBool() ? 2 : 0) |
                     (toggles.property(QStringLiteral("middle")).toBool() ? 4 : 0);
    return {loaded.property(QStringLiteral("effect")).toInt(),
            intsOf(loaded.property(QStringLiteral("levels"))), mask};
}

QList<int> PageRules::setLedArguments(int effect, int level, int toggleMask)
{
    return intsOf(call(lighting, "setLedArguments", {effect, level, toggleMask}));
}

QList<int> PageRules::sendValues(int effect, int option0, int option1)
{
    return intsOf(call(lighting, "sendValues", {effect, option0, option1}));
}

int PageRules::sensitivityValue(int step)
{
    return call(performance, "sensitivityValue", {step}).toInt();
}
