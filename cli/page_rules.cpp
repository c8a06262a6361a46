#include "page_rules.h"

#include "cli_log.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Numbers, flags or texts as a script array.
template <typename T> QJSValue scriptArray(QJSEngine& engine, const QList<T>& values)
{
    QJSValue array = engine.newArray(uint(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i)
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
    : performance(load(QStringLiteral("performance.js"))), lighting(load(QStringLiteral("lighting.js")))
{
    // In import order: the encoders use the key names, the gun page's the macro page's.
    keyCodes = load(QStringLiteral("keyCodes.js"));
    macroCode = load(QStringLiteral("macroCode.js"));
    gunCode = load(QStringLiteral("gunCode.js"));
}

QJSValue PageRules::load(const QString& fileName)
{
    const QString resource = QStringLiteral(":/page-rules/") + fileName;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = resource + QStringLiteral(": ") + file.errorString();
        return {};
    }
    // A QML library is plain script after its directives: ".pragma library" is QML's, and each
    // '.import "file.js" as Name' hands it another library under that name. Each library runs in a function
    // of its own, its imports as the parameters, and answers with its top-level names, as QML keeps them
    // apart.
    static const QRegularExpression importLine(
        QStringLiteral(R"re(^\.import\s+"([^"]+)"\s+as\s+(\w+)\s*$)re"), QRegularExpression::MultilineOption);
    static const QRegularExpression declaration(QStringLiteral(R"(^(?:var|function|const|let)\s+(\w+))"),
                                                QRegularExpression::MultilineOption);
    QString source = QString::fromUtf8(file.readAll());
    QStringList parameters;
    QJSValueList imports;
    for (const QRegularExpressionMatch& match : importLine.globalMatch(source)) {
        const QJSValue imported = libraries.value(match.captured(1));
        if (imported.isUndefined()) {
            failure = resource + QStringLiteral(": loaded before its import ") + match.captured(1);
            return {};
        }
        parameters.append(match.captured(2));
        imports.append(imported);
    }
    source.remove(importLine);
    source.replace(QStringLiteral(".pragma library"), QString());
    QStringList exported;
    for (const QRegularExpressionMatch& match : declaration.globalMatch(source))
        exported.append(match.captured(1) + QStringLiteral(": ") + match.captured(1));
    const QString wrapped = QStringLiteral("(function (") + parameters.join(QLatin1Char(',')) +
                            QStringLiteral(") {\n") + source + QStringLiteral("\nreturn { ") +
                            exported.join(QStringLiteral(", ")) + QStringLiteral(" };\n})");
    const QJSValue factory = engine.evaluate(wrapped, resource);
    const QJSValue library = factory.isCallable() ? factory.call(imports) : factory;
    if (library.isError() || !library.isObject()) {
        failure = resource + QStringLiteral(": ") + library.toString();
        return {};
    }
    libraries.insert(fileName, library);
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
    const QJSValue sent =
        call(performance, "dpiArguments",
             {scriptArray(engine, values), scriptArray(engine, flags), scriptArray(engine, colours)});
    return {intsOf(sent.property(QStringLiteral("values"))), intsOf(sent.property(QStringLiteral("codes"))),
            intsOf(sent.property(QStringLiteral("flags"))),
            intsOf(sent.property(QStringLiteral("colorBytes")))};
}

QString PageRules::colourFromBytes(const QList<int>& bytes, int stage)
{
    return call(performance, "colourFromBytes", {scriptArray(engine, bytes), stage}).toString();
}

PageRules::LoadedEffect PageRules::loadedEffect(const QList<int>& stored)
{
    const QJSValue loaded = call(lighting, "loadedEffect", {scriptArray(engine, stored)});
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

QJSValue PageRules::encoded(const QJSValue& library, const QStringList& storedLines)
{
    const QJSValue stored = call(macroCode, "storedEntry", {scriptArray(engine, storedLines)});
    return call(library, "deCode",
                {stored.property(QStringLiteral("actions")), stored.property(QStringLiteral("repeat"))});
}

QList<int> PageRules::macroBytes(const QStringList& storedLines)
{
    return intsOf(encoded(macroCode, storedLines));
}

PageRules::GunBinding PageRules::gunBinding(const std::optional<int>& key, const std::optional<int>& runType)
{
    // The store hands the pages a number, or empty text for a slot never bound.
    const auto stored = [](const std::optional<int>& value) {
        return value ? QJSValue(*value) : QJSValue(QString());
    };
    QJSValue slot = engine.newObject();
    slot.setProperty(QStringLiteral("type"), stored(runType));
    return {call(gunCode, "keyIndexOf", {stored(key)}).toInt(), call(gunCode, "runTypeOf", {slot}).toInt()};
}

QList<PageRules::Chunk> PageRules::gunChunks(const QStringList& storedLines, int gunSlot)
{
    const QJSValue firstSlot = call(gunCode, "gunSlotStart", {gunSlot});
    const QJSValue chunks = call(gunCode, "slotChunks", {encoded(gunCode, storedLines), firstSlot});
    QList<Chunk> cut;
    const int count = chunks.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < count; ++i) {
        const QJSValue chunk = chunks.property(quint32(i));
        cut.append({chunk.property(QStringLiteral("slot")).toInt(),
                    intsOf(chunk.property(QStringLiteral("bytes")))});
    }
    return cut;
}

QList<QList<int>> PageRules::gunKeyTables(const QList<QList<int>>& storedDefinitions,
                                          const QList<GunBinding>& gunSlots)
{
    QJSValue entries = engine.newArray(uint(storedDefinitions.size()));
    for (qsizetype key = 0; key < storedDefinitions.size(); ++key)
        entries.setProperty(quint32(key),
                            call(keyCodes, "loadedEntry", {scriptArray(engine, storedDefinitions.at(key))}));
    QJSValue bindings = engine.newArray(uint(gunSlots.size()));
    for (qsizetype slot = 0; slot < gunSlots.size(); ++slot) {
        QJSValue binding = engine.newObject();
        binding.setProperty(QStringLiteral("key"), gunSlots.at(slot).key);
        binding.setProperty(QStringLiteral("type"), gunSlots.at(slot).type);
        bindings.setProperty(quint32(slot), binding);
    }
    const QJSValue tables = call(gunCode, "gunKeyTables", {entries, bindings});
    QList<QList<int>> flat;
    const int count = tables.property(QStringLiteral("length")).toInt();
    for (int t = 0; t < count; ++t)
        flat.append(intsOf(tables.property(quint32(t))));
    return flat;
}
