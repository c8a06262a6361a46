// The profile popup through the real window on the virtual mouse: the list built from the stored names,
// New, Copy, Delete and rename, and what switching profiles does to the device and the files.

#include "my_qquick_view.h"
#include "profile_store.h"
#include "scene_harness.h"
#include "widget.h"

#include <QFile>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Entry
{
    QString name;
    int number;
    bool operator==(const Entry&) const = default;
};

} // namespace

class TestProfilePopup : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<scene::Harness> harness;

    QQuickItem* item(const QString& name) const { return harness->item(name); }
    QQuickItem* popup() const { return item(QStringLiteral("profileMain")); }
    int current() const { return popup()->property("currentIndex").toInt(); }
    int profileNo() const { return popup()->property("profileNo").toInt(); }

    QList<Entry> shown() const
    {
        QList<Entry> entries;
        for (const QVariant& entry : popup()->property("entries").toList()) {
            const QVariantMap map = entry.toMap();
            entries.append({map.value(QStringLiteral("profileName")).toString(),
                            map.value(QStringLiteral("profileNo")).toInt()});
        }
        return entries;
    }
    QStringList storedNames() const
    {
        QStringList names;
        for (const QVariant& name : harness->view().getNameList(2))
            names.append(name.toString());
        return names;
    }

    void openPopup()
    {
        harness->click(item(QStringLiteral("profileBtn")));
        QVERIFY(popup()->isVisible());
    }
    void menuCommand(int row, int command)
    {
        harness->click(item(QStringLiteral("profileRow%1").arg(row)), Qt::RightButton);
        QVERIFY(item(QStringLiteral("profileMenu"))->isVisible());
        harness->click(item(QStringLiteral("profileMenuRow%1").arg(command)));
        QVERIFY(!item(QStringLiteral("profileMenu"))->isVisible());
    }
    // Writes a value into a profile slot's file, as a saved page would.
    void mark(int slot, const QString& text)
    {
        harness->profileFile(slot)->setValue(QStringLiteral("test/mark"), text);
    }
    QString markOf(int slot) const
    {
        return harness->profileFile(slot)->value(QStringLiteral("test/mark")).toString();
    }

private slots:
    void init()
    {
        harness = std::make_unique<scene::Harness>();
        QVERIFY(harness->start());
    }

    void cleanup() { harness.reset(); }

    void theStoredPlaceholderIsDroppedAndEnglishSaysStandard()
    {
        // The factory list is one profile plus the placeholder entry.
        QCOMPARE(shown(), (QList<Entry>{{QStringLiteral("Standard"), 0}}));
        QCOMPARE(current(), 0);
        // A single name is stored with the placeholder that keeps the stored value a list.
        QCOMPARE(storedNames(), (QStringList{QStringLiteral("Standard0"), QStringLiteral("loaderkorvid")}));
    }

    void newCopyAndDeleteKeepTheListAndTheFiles()
    {
        openPopup();
        mark(0, QStringLiteral("first"));
        harness->click(item(QStringLiteral("profileNew")));
        QCOMPARE(shown().last(), (Entry{QStringLiteral("profile_0"), 1}));
        QCOMPARE(current(), 1);
        QCOMPARE(profileNo(), 1);
        QCOMPARE(harness->appConfigFile()->value(QStringLiteral("J2/profileNo")).toInt(), 1);
        QCOMPARE(storedNames(), (QStringList{QStringLiteral("Standard0"), QStringLiteral("profile_01")}));
        QVERIFY(markOf(1).isEmpty()); // a new profile starts from the factory profile

        // Copies of the first profile: its name with (0), then (1), and its settings.
        harness->click(item(QStringLiteral("profileRow0")));
        menuCommand(0, 2);
        harness->click(item(QStringLiteral("profileRow0")));
        menuCommand(0, 2);
        QCOMPARE(shown().mid(2),
                 (QList<Entry>{{QStringLiteral("Standard(0)"), 2}, {QStringLiteral("Standard(1)"), 3}}));
        QCOMPARE(markOf(2), QStringLiteral("first"));
        QCOMPARE(markOf(3), QStringLiteral("first"));
        harness->click(item(QStringLiteral("profileRow3")), Qt::RightButton);
        harness->screenshot(QStringLiteral("profile-popup"));
        harness->click(item(QStringLiteral("profileMenuRow4"))); // Save, cancelled: closes the menu
        QCOMPARE(profileNo(), 3);

        // Deleting the current (last) row makes the row before it current and switches to it; the file stays.
        harness->click(item(QStringLiteral("profileDelete")));
        QCOMPARE(shown().size(), 3);
        QCOMPARE(current(), 2);
        QCOMPARE(profileNo(), 2);
        QVERIFY(QFile::exists(harness->view().profileStore().slotFile(3)));

        // Up to six profiles: then New and Copy do nothing.
        for (int i = 0; i < 5; ++i)
            harness->click(item(QStringLiteral("profileNew")));
        QCOMPARE(shown().size(), 6);
        menuCommand(0, 2);
        QCOMPARE(shown().size(), 6);
        QList<int> numbers;
        for (const Entry& entry : shown())
            numbers.append(entry.number);
        std::sort(numbers.begin(), numbers.end());
        QCOMPARE(numbers, (QList<int>{0, 1, 2, 3, 4, 5}));

        // Down to one: then Delete does nothing.
        for (int i = 0; i < 8; ++i)
            harness->click(item(QStringLiteral("profileDelete")));
        QCOMPARE(shown().size(), 1);
        QCOMPARE(storedNames().size(), 2); // the name and the placeholder
    }

    void renameKeepsNamesDistinct()
    {
        openPopup();
        harness->click(item(QStringLiteral("profileNew")));
        harness->doubleClick(item(QStringLiteral("profileRow1")));
        QQuickItem* editor = item(QStringLiteral("profileNameEditor"));
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->property("selectedText").toString(), QStringLiteral("profile_0"));
        QTest::keyClicks(&harness->view(), QStringLiteral("Arena"));
        QTest::keyClick(&harness->view(), Qt::Key_Return);
        QVERIFY(!editor->isVisible());
        QCOMPARE(shown().at(1).name, QStringLiteral("Arena"));
        QCOMPARE(storedNames().at(1), QStringLiteral("Arena1"));

        // A name another profile has is refused; the old name stays.
        menuCommand(1, 1);
        QVERIFY(editor->isVisible());
        QTest::keyClicks(&harness->view(), QStringLiteral("Standard"));
        // A click elsewhere in the popup ends editing.
        const QPoint elsewhere = harness->windowPoint(popup(), QPointF(130, 400));
        harness->press(elsewhere);
        harness->release(elsewhere);
        QVERIFY(!editor->isVisible());
        QCOMPARE(shown().at(1).name, QStringLiteral("Arena"));
        QVERIFY(item(QStringLiteral("profileNameHint"))->isVisible());
    }

    void switchingResendsOnCloseAndTheSameProfileChangesNothing()
    {
        openPopup();
        harness->click(item(QStringLiteral("profileNew")));
        harness->click(item(QStringLiteral("profileRow1"))); // the current one again
        harness->clearWire();
        QSignalSpy lock(item(QStringLiteral("protectUIItem")), SIGNAL(visibleChanged()));
        harness->click(item(QStringLiteral("profileClose")));
        QVERIFY(!popup()->isVisible());
        QVERIFY(!item(QStringLiteral("mainMask"))->isVisible());
        // New switched profiles: closing re-sends every panel behind the lock and selects key table 0. The
        // re-sending takes longer than the lock, which may end while it runs.
        QVERIFY(lock.count() >= 1);
        const QList<j2::vm::WireEntry> sent = harness->sentReports();
        QVERIFY(sent.size() > 10);
        QCOMPARE(sent.last().bytes.at(1), std::uint8_t(0x02));
        QCOMPARE(sent.last().bytes.at(2), std::uint8_t(0));
        QVERIFY(harness->waitUnlocked(4000));

        // Choosing the profile that is already active, then closing: nothing on the wire, no lock.
        openPopup();
        harness->clearWire();
        lock.clear();
        harness->click(item(QStringLiteral("profileRow1")));
        harness->click(item(QStringLiteral("profileClose")));
        QCOMPARE(lock.count(), 0);
        QVERIFY(harness->sentReports().isEmpty());
    }

    void loadAndSaveFromTheMenu()
    {
        openPopup();
        harness->clearWire();
        // A cancelled Save and Load change nothing.
        menuCommand(0, 4);
        menuCommand(0, 3);
        QVERIFY(harness->sentReports().isEmpty());

        // Save exports the active profile; Load brings a file in and sends its pages to the mouse at once.
        mark(0, QStringLiteral("exported"));
        const QString exported = harness->folder() + QStringLiteral("/saved.pf");
        harness->answerSaveDialog(exported);
        menuCommand(0, 4);
        QCOMPARE(QSettings(exported, QSettings::IniFormat).value(QStringLiteral("test/mark")).toString(),
                 QStringLiteral("exported"));

        {
            QSettings edited(exported, QSettings::IniFormat);
            edited.setValue(QStringLiteral("test/mark"), QStringLiteral("imported"));
            edited.setValue(QStringLiteral("sensor/reportRate_J2"), 4);
        }
        harness->answerOpenDialog(exported);
        menuCommand(0, 3);
        QCOMPARE(markOf(0), QStringLiteral("imported"));
        QCOMPARE(harness->value(QStringLiteral("reprotRateMain"), "reportValue").toInt(), 4);
        QCOMPARE(int(harness->deviceState().functionOption[1]), 4);
        QVERIFY(harness->warningsShown().isEmpty());
    }
};

QTEST_MAIN(TestProfilePopup)
#include "test_profile_popup.moc"
