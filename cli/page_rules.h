#pragma once

// The pages' own value rules (performance.js, lighting.js) and the macro and gun pages' encoders
// (macroCode.js, gunCode.js), run
// in a script engine without a scene, so a value set from the command line becomes the very bytes the
// window's Save would make of it.

#include <QHash>
#include <QJSEngine>
#include <QJSValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class PageRules
{
public:
    PageRules();
    // False, with the reason, when a library could not be loaded.
    bool ready(QString* reason) const;

    // The DPI panel's Save: codes, values, stage flags and colour bytes for the bridge.
    struct DpiArguments
    {
        QList<int> values;
        QList<int> codes;
        QList<int> flags;
        QList<int> colourBytes;
    };
    DpiArguments dpiArguments(const QList<int>& values, const QList<bool>& flags, const QStringList& colours);
    QString colourFromBytes(const QList<int>& bytes, int stage);

    // The lighting panel: what it shows for the stored effect, what it reports for a choice, what Save sends.
    struct LoadedEffect
    {
        int effect = 0;
        QList<int> levels;
        int toggleMask = 0;
    };
    LoadedEffect loadedEffect(const QList<int>& stored);
    QList<int> setLedArguments(int effect, int level, int toggleMask);
    QList<int> sendValues(int effect, int option0, int option1);

    // The axis panel: the device value of a sensitivity step 0-9.
    int sensitivityValue(int step);

    // The macro page: the bytes it writes into a button's slot for a library entry's stored lines.
    QList<int> macroBytes(const QStringList& storedLines);

    // The gun page. A slot's binding as the button panel reads it from the stored key and run type (either
    // may be absent): the key index or -1, and the run type.
    struct GunBinding
    {
        int key = -1;
        int type = 0;
    };
    GunBinding gunBinding(const std::optional<int>& key, const std::optional<int>& runType);
    // A gun's stream for gun slot `gunSlot`, cut into the device slots it goes to; empty when it does not
    // fit.
    struct Chunk
    {
        int slot = 0;
        QList<int> bytes;
    };
    QList<Chunk> gunChunks(const QStringList& storedLines, int gunSlot);
    // The three gun key tables for the button definitions as stored and the slots' bindings.
    QList<QList<int>> gunKeyTables(const QList<QList<int>>& storedDefinitions,
                                   const QList<GunBinding>& gunSlots);

private:
    QJSValue call(const QJSValue& library, const char* function, const QJSValueList& arguments);
    // A library entry's stored lines through an encoder's deCode (macroCode.js or gunCode.js).
    QJSValue encoded(const QJSValue& library, const QStringList& storedLines);
    // One of the scene's script libraries, by file name; the libraries it imports must be loaded before it.
    QJSValue load(const QString& fileName);

    // Declared before the libraries, which are loaded as they are constructed.
    QJSEngine engine;
    QString failure;
    QHash<QString, QJSValue> libraries;
    QJSValue performance;
    QJSValue lighting;
    QJSValue keyCodes;
    QJSValue macroCode;
    QJSValue gunCode;
};
