#include "TestEnvironment.h"

#include "app/Settings.h"
#include "preferences/frmPreferences.h"
#include "widgets/CWKControlForm.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableWidget>
#include <memory>

namespace {

// A module page with two commands, registered the way every page registers.
class KeyTestPage : public CWKControlForm {
public:
    explicit KeyTestPage(frmPreferences* preferences, const QString& title = QStringLiteral("Remove"))
        : m_pPreferences(preferences)
    {
        setWindowTitle(title);
        btnFloodFill = new QPushButton(QStringLiteral("Flood Fill"), this);
        btnUndoAll = new QPushButton(QStringLiteral("Undo All"), this);
        vInitialize();
    }

    CW_MODULE eGetModule() const override { return CW_MODULE_SYSTEM; }
    void vInitialize() override
    {
        m_mapKeyMappings[QStringLiteral("f")] = {QStringLiteral("Flood Fill"), btnFloodFill};
        m_mapKeyMappings[QStringLiteral("u")] = {QStringLiteral("Undo All"), btnUndoAll};
        m_pPreferences->vRegisterModuleKeyMappings(windowTitle(), &m_mapKeyMappings);
    }
    void sltSetWidgetsState(CWKGUI_STATE) override {}
    void sltRestoreParameters(CW_Instance) override {}
    void mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*) override {}
    void mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&) override {}
    void mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&) override {}
    void keyPressEvent(QKeyEvent* e) override { bClickMappedKey(e); }
    void sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&) override {}

    QPushButton* btnFloodFill;
    QPushButton* btnUndoAll;

private:
    frmPreferences* m_pPreferences;
};

QString qstrKeyCell(frmPreferences& preferences, const QString& description)
{
    for (int row = 0; row < preferences.tblShortcuts->rowCount(); ++row) {
        if (preferences.tblShortcuts->item(row, 0)->text() == description)
            return preferences.tblShortcuts->item(row, 1)->text();
    }
    return QStringLiteral("<missing>");
}

void vSetKeyCell(frmPreferences& preferences, const QString& description, const QString& key)
{
    for (int row = 0; row < preferences.tblShortcuts->rowCount(); ++row) {
        if (preferences.tblShortcuts->item(row, 0)->text() == description)
            preferences.tblShortcuts->item(row, 1)->setText(key);
    }
}

// Presses a key on the page and reports whether the button clicked.
bool bKeyClicks(KeyTestPage& page, QPushButton* button, const QString& text)
{
    QSignalSpy clicks(button, &QPushButton::clicked);
    QKeyEvent press(QEvent::KeyPress, text.isEmpty() ? Qt::Key_F5 : Qt::Key_A, Qt::NoModifier, text);
    page.keyPressEvent(&press);
    if (!press.isAccepted())
        return false;
    return clicks.wait(2000) || clicks.count() > 0;
}

QVariant varKey(const QString& key)
{
    return pGetUserSettings()->value(key);
}

} // namespace

class TstKeyMaps : public QObject {
    Q_OBJECT

private slots:
    void init() { testenv::vResetSettings(); }

    void savedKeyIsStoredAndClicksTheButton()
    {
        frmPreferences preferences;
        KeyTestPage page(&preferences);
        QCOMPARE(preferences.cboxModules->currentText(), QStringLiteral("Remove"));
        QCOMPARE(qstrKeyCell(preferences, QStringLiteral("Flood Fill")), QStringLiteral("f"));
        QVERIFY(bKeyClicks(page, page.btnFloodFill, QStringLiteral("f")));

        // Only the first character of a cell counts.
        vSetKeyCell(preferences, QStringLiteral("Flood Fill"), QStringLiteral("xy"));
        preferences.btnSaveKeymapping->click();
        QCOMPARE(varKey(QStringLiteral("Remove Keys/Flood Fill")).toString(), QStringLiteral("x"));
        // A command on its default key has no entry.
        QVERIFY(!varKey(QStringLiteral("Remove Keys/Undo All")).isValid());
        QVERIFY(bKeyClicks(page, page.btnFloodFill, QStringLiteral("x")));
        QVERIFY(!bKeyClicks(page, page.btnFloodFill, QStringLiteral("f")));
        // Keys are case-sensitive.
        QVERIFY(!bKeyClicks(page, page.btnFloodFill, QStringLiteral("X")));

        // Back to the default key: the entry goes.
        vSetKeyCell(preferences, QStringLiteral("Flood Fill"), QStringLiteral("f"));
        preferences.btnSaveKeymapping->click();
        QVERIFY(!varKey(QStringLiteral("Remove Keys/Flood Fill")).isValid());
        QVERIFY(bKeyClicks(page, page.btnFloodFill, QStringLiteral("f")));
    }

    void refusedTablesChangeNothing_data()
    {
        QTest::addColumn<QString>("floodFillKey");
        QTest::addColumn<QString>("message");
        QTest::newRow("duplicate key") << QStringLiteral("u")
                                       << QStringLiteral(
                                              "Same key used for multiple commands. Please correct before saving key "
                                              "mappings");
        QTest::newRow("empty key") << QString()
                                   << QStringLiteral(
                                          "No key given for \"Flood Fill\". Please correct before saving key mappings");
    }

    void refusedTablesChangeNothing()
    {
        QFETCH(QString, floodFillKey);
        QFETCH(QString, message);
        frmPreferences preferences;
        KeyTestPage page(&preferences);
        vSetKeyCell(preferences, QStringLiteral("Flood Fill"), QStringLiteral("x"));
        preferences.btnSaveKeymapping->click();

        vSetKeyCell(preferences, QStringLiteral("Flood Fill"), floodFillKey);
        testenv::ModalAnswerer answerer;
        preferences.btnSaveKeymapping->click();
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().qstrText, message);
        // The page keeps its previous map and the store its previous entry.
        QCOMPARE(varKey(QStringLiteral("Remove Keys/Flood Fill")).toString(), QStringLiteral("x"));
        QVERIFY(bKeyClicks(page, page.btnFloodFill, QStringLiteral("x")));
        QVERIFY(bKeyClicks(page, page.btnUndoAll, QStringLiteral("u")));
        // A key press without text never clicks anything.
        QVERIFY(!bKeyClicks(page, page.btnFloodFill, QString()));
        QVERIFY(!bKeyClicks(page, page.btnUndoAll, QString()));
    }

    void defaultsRemoveTheGroup()
    {
        frmPreferences preferences;
        KeyTestPage page(&preferences);
        vSetKeyCell(preferences, QStringLiteral("Flood Fill"), QStringLiteral("x"));
        vSetKeyCell(preferences, QStringLiteral("Undo All"), QStringLiteral("v"));
        preferences.btnSaveKeymapping->click();
        QVERIFY(pGetUserSettings()->childGroups().contains(QStringLiteral("Remove Keys")));

        preferences.btnDefaultKeymapping->click();
        QVERIFY(!pGetUserSettings()->childGroups().contains(QStringLiteral("Remove Keys")));
        QCOMPARE(qstrKeyCell(preferences, QStringLiteral("Flood Fill")), QStringLiteral("f"));
        QCOMPARE(qstrKeyCell(preferences, QStringLiteral("Undo All")), QStringLiteral("u"));
        QVERIFY(bKeyClicks(page, page.btnFloodFill, QStringLiteral("f")));
        QVERIFY(!bKeyClicks(page, page.btnFloodFill, QStringLiteral("x")));
    }

    void storedChangeAppliesAtRegistration()
    {
        pGetUserSettings()->setValue(QStringLiteral("Remove Keys/Flood Fill"), QStringLiteral("x"));
        frmPreferences preferences;
        KeyTestPage page(&preferences);
        QVERIFY(bKeyClicks(page, page.btnFloodFill, QStringLiteral("x")));
        QVERIFY(!bKeyClicks(page, page.btnFloodFill, QStringLiteral("f")));
        QCOMPARE(qstrKeyCell(preferences, QStringLiteral("Flood Fill")), QStringLiteral("x"));
        QCOMPARE(varKey(QStringLiteral("Remove Keys/Flood Fill")).toString(), QStringLiteral("x"));
        // The registration copy stays the page's defaults.
        preferences.btnDefaultKeymapping->click();
        QVERIFY(bKeyClicks(page, page.btnFloodFill, QStringLiteral("f")));
    }

    void storedCollisionKeepsDefaults()
    {
        pGetUserSettings()->setValue(QStringLiteral("Remove Keys/Flood Fill"), QStringLiteral("u"));
        testenv::ModalAnswerer answerer;
        frmPreferences preferences;
        KeyTestPage page(&preferences);
        QCOMPARE(answerer.boxes().size(), 1);
        QVERIFY(answerer.boxes().first().qstrText.startsWith(QStringLiteral("Same key used for multiple commands")));
        QVERIFY(bKeyClicks(page, page.btnFloodFill, QStringLiteral("f")));
        QVERIFY(bKeyClicks(page, page.btnUndoAll, QStringLiteral("u")));
        QCOMPARE(varKey(QStringLiteral("Remove Keys/Flood Fill")).toString(), QStringLiteral("u"));
    }

    void secondRegistrationIsRefused()
    {
        frmPreferences preferences;
        KeyTestPage first(&preferences);
        vSetKeyCell(preferences, QStringLiteral("Flood Fill"), QStringLiteral("x"));
        preferences.btnSaveKeymapping->click();

        testenv::ModalAnswerer answerer;
        KeyTestPage second(&preferences);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().qstrText, QStringLiteral("Key mappings already defined for module: Remove"));
        QCOMPARE(preferences.cboxModules->count(), 1);
        // The second page keeps its own defaults; the first keeps its saved key.
        QVERIFY(bKeyClicks(second, second.btnFloodFill, QStringLiteral("f")));
        QVERIFY(bKeyClicks(first, first.btnFloodFill, QStringLiteral("x")));
    }

    void modulesAreShownByTheirOwnMaps()
    {
        frmPreferences preferences;
        KeyTestPage remove(&preferences);
        KeyTestPage matte(&preferences, QStringLiteral("Matte"));
        QCOMPARE(preferences.cboxModules->currentText(), QStringLiteral("Matte"));
        vSetKeyCell(preferences, QStringLiteral("Flood Fill"), QStringLiteral("m"));
        preferences.btnSaveKeymapping->click();
        QCOMPARE(varKey(QStringLiteral("Matte Keys/Flood Fill")).toString(), QStringLiteral("m"));
        QVERIFY(!varKey(QStringLiteral("Remove Keys/Flood Fill")).isValid());
        QVERIFY(bKeyClicks(remove, remove.btnFloodFill, QStringLiteral("f")));
        QVERIFY(bKeyClicks(matte, matte.btnFloodFill, QStringLiteral("m")));

        // Showing another module lists its map in description order.
        preferences.cboxModules->setCurrentIndex(0);
        emit preferences.cboxModules->textActivated(QStringLiteral("Remove"));
        QCOMPARE(preferences.tblShortcuts->rowCount(), 2);
        QCOMPARE(preferences.tblShortcuts->item(0, 0)->text(), QStringLiteral("Flood Fill"));
        QCOMPARE(preferences.tblShortcuts->item(0, 1)->text(), QStringLiteral("f"));
        QCOMPARE(preferences.tblShortcuts->item(1, 0)->text(), QStringLiteral("Undo All"));
    }
};

PLINTRA_TEST_MAIN(TstKeyMaps)
#include "tst_keymaps.moc"
