#pragma once

// The pages' own value rules (performance.js, lighting.js) and the macro page's encoder (macroCode.js), run
// in a script engine without a scene, so a value set from the command line becomes the very bytes the
// window's Save would make of it.

#include <QHash>
#include <QJSEngine>
#include <QJSValue>
#include <QList>
#include <QString>
#include <QStringList>

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

private:
    QJSValue call(const QJSValue& library, const char* function, const QJSValueList& arguments);
    // One of the scene's script libraries, by file name; the libraries it imports must be loaded before it.
    QJSValue load(const QString& fileName);

    // Declared before the libraries, which are loaded as they are constructed.
    QJSEngine engine;
    QString failure;
    QHash<QString, QJSValue> libraries;
    QJSValue performance;
    QJSValue lighting;
    QJSValue macroCode;
};
