#pragma once

// The ten profile files ("<setting folder>/p1.bin" .. "p10.bin") with one open handle each, the current
// profile index, the factory profile pD.bin, and the operations on single keys, whole files and the macro
// assignments they hold. Every write reaches the disk before the call returns.

#include "file_dialogs.h"

#include <QList>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <array>
#include <functional>
#include <initializer_list>
#include <memory>

class ProfileStore
{
public:
    static constexpr int kSlots = 10;
    static inline const QString kDefaultFolder = QStringLiteral("./modules/setting");

    // `settingFolder` holds the user's p1.bin .. p10.bin, `factoryFolder` the read-only pD.bin (the same
    // folder when empty). `currentDevice` tells the device object's current device index (1 mouse family, 0
    // keyboard family); `dialogs` answers import and export (not owned; may be null, then both act as
    // cancelled).
    explicit ProfileStore(const QString& settingFolder = kDefaultFolder, FileDialogs* dialogs = nullptr,
                          std::function<int()> currentDevice = {}, const QString& factoryFolder = {});

    // ---- handles ----
    // The slot's handle. One whose write failed is opened again first, since QSettings keeps an error for
    // the handle's life and the next write could not be judged. What did not arrive is not lost: Qt keeps
    // it with the file's name and writes it with the next write that succeeds.
    QSettings& slot(int index);
    QSettings& current() { return slot(currentIndex); }
    const QSettings& current() const { return *handles[std::size_t(currentIndex)]; }
    int currentProfile() const { return currentIndex; }
    void setCurrentProfile(int index);
    QString slotFile(int index) const;
    QString factoryFile() const;
    int deviceIndex() const;

    // ---- single keys of the current profile ----
    // A button's stored definition (the mouse's or the keyboard's, by the device type); `matrixId` is the
    // button's key name in the file.
    QList<int> getKeydefine(const QString& matrixId);
    QList<int> getGunKeydefine(uint keyMatrixIndex, const QString& matrixId);
    // The step 0-9 of the axis `index` ("0" X, "1" Y).
    int getXYSensitive(const QString& index);
    void setXYSensitive(const QString& index, int xyData);
    void setMacroKey(int index, const QString& macroName);
    // The macro name the key plays; "0" when it plays none.
    QString getMacroKey(int index);

    // ---- factory values for a page ----
    // The factory values page `uiPageId` resets to (0 keys, 2 lighting, 3 performance), in the page's order.
    QList<int> loadDefaultProfile(uchar uiPageId) const;

    // ---- values as a page may show them ----
    // A hand-edited or damaged file must not put a value on a page that its control cannot show (or send):
    // each value is the current profile's, else the factory profile's, else `fallback`, kept within
    // [low, high] and on a multiple of `step` above `low`.
    struct Range
    {
        int low;
        int high;
        int fallback;
        int step = 1;
    };
    int loadedNumber(const QString& key, Range range) const;
    // `count` entries of a stored list, each as loadedNumber takes it from the same place in the lists.
    QList<int> loadedNumbers(const QString& key, int count, Range range) const;
    // A value that must be one of `allowed` (the first is the fallback when neither file has one).
    int loadedChoice(const QString& key, std::initializer_list<int> allowed) const;

    // ---- whole files ----
    bool loadProfile(int profile);
    void saveProfile(int profile);
    void resetProfile(int profile);
    void copyProfile(int destprofile, int srcprofile);

    // ---- macro assignments in the other profiles ----
    void changeMacroFileIndex(uint macroIndex);
    void changeMacroFileType(uint macroIndex, int macroType);

private:
    // Closes slot `index`, replaces its file with a copy of `source` and opens it again. When the source
    // cannot be copied the slot keeps its file and the result is false.
    bool replaceSlot(int index, const QString& source);
    // A slot whose file is missing or cannot be read gets a copy of the factory profile.
    void replaceUnreadable(int index);

    QString folder;
    QString factoryFolder;
    FileDialogs* dialogs;
    std::function<int()> currentDevice;
    std::array<std::unique_ptr<QSettings>, kSlots> handles;
    int currentIndex = 0;
};
