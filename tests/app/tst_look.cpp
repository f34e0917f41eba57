#include "TestEnvironment.h"

#include "app/CWKStyle.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "velmor.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPainter>
#include <QSettings>
#include <QStyleFactory>
#include <QStyleOption>
#include <memory>

Q_DECLARE_METATYPE(QPalette::ColorRole)
Q_DECLARE_METATYPE(QPalette::ColorGroup)

namespace {

// A canvas filled with a colour no style draws, so any drawing shows.
QImage imgCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(1, 2, 3, 4));
    return image;
}

bool bUntouched(const QImage& image)
{
    return image == imgCanvas(image.width(), image.height());
}

QImage imgDrawTab(CWKStyle& style, float brightness, bool selected, bool framed = true)
{
    style.setBrightness(brightness);
    QStyleOptionTab tab;
    tab.rect = QRect(0, 0, 80, 26);
    tab.text = QStringLiteral("WWWW");
    tab.shape = QTabBar::RoundedNorth;
    tab.position = QStyleOptionTab::Middle;
    if (framed)
        tab.features |= QStyleOptionTab::HasFrame;
    tab.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    tab.palette = style.standardPalette();
    // Light grey labels, so that a shift in either direction shows.
    tab.palette.setColor(QPalette::WindowText, QColor(0xc0, 0xc0, 0xc0));
    QImage image = imgCanvas(80, 26);
    QPainter painter(&image);
    style.drawControl(QStyle::CE_TabBarTab, &tab, &painter);
    painter.end();
    return image;
}

// Premultiplied, so that clear pixels compare equal whatever colour they carry.
QImage imgComparable(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int iLightestValue(const QImage& image)
{
    int lightest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            lightest = std::max(lightest, QColor(image.pixel(x, y)).value());
    return lightest;
}

void vWriteFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class TestLook : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        testenv::vResetSettings();
        vSetProduct(QStringLiteral("plintra"));
        qApp->setStyleSheet(QString());
    }

    void standardPalette_data()
    {
        QTest::addColumn<QPalette::ColorGroup>("group");
        QTest::addColumn<QPalette::ColorRole>("role");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("active window") << QPalette::Active << QPalette::Window << QColor(0x393939);
        QTest::newRow("active text") << QPalette::Active << QPalette::WindowText << QColor(0xffffff);
        QTest::newRow("inactive text") << QPalette::Inactive << QPalette::Text << QColor(0xefefef);
        QTest::newRow("disabled button text") << QPalette::Disabled << QPalette::ButtonText << QColor(0x565656);
        QTest::newRow("button") << QPalette::Inactive << QPalette::Button << QColor(0x646565);
        QTest::newRow("active base") << QPalette::Active << QPalette::Base << QColor(0x444546);
        QTest::newRow("disabled base") << QPalette::Disabled << QPalette::Base << QColor(0x393939);
        QTest::newRow("active highlight") << QPalette::Active << QPalette::Highlight << QColor(0x678db2);
        QTest::newRow("disabled highlight") << QPalette::Disabled << QPalette::Highlight << QColor(0x567594);
        QTest::newRow("highlighted text") << QPalette::Active << QPalette::HighlightedText << QColor(0x444546);
        QTest::newRow("mid") << QPalette::Disabled << QPalette::Mid << QColor(0xc7c7c7);
        QTest::newRow("visited link") << QPalette::Active << QPalette::LinkVisited << QColor(0x52188b);
        // Lightened from the Base of its own group, which differs for Disabled.
        QTest::newRow("active alternate base")
            << QPalette::Active << QPalette::AlternateBase << QColor(0x444546).lighter(110);
        QTest::newRow("disabled alternate base")
            << QPalette::Disabled << QPalette::AlternateBase << QColor(0x393939).lighter(110);
    }

    void standardPalette()
    {
        QFETCH(QPalette::ColorGroup, group);
        QFETCH(QPalette::ColorRole, role);
        QFETCH(QColor, expected);
        CWKStyle style;
        const QPalette palette = style.standardPalette();
        QCOMPARE(palette.color(group, role), expected);
        QCOMPARE(palette.brush(group, role).style(), Qt::SolidPattern);
        QCOMPARE(palette.color(group, role).alpha(), 255);
    }

    void installedStyleSetsApplicationPalette()
    {
        QApplication::setStyle(new CWKStyle);
        QCOMPARE(QApplication::palette().color(QPalette::Active, QPalette::Window), QColor(0x393939));
        QCOMPARE(QApplication::palette().color(QPalette::Active, QPalette::Highlight), QColor(0x678db2));
        QPalette mine(Qt::red);
        QApplication::style()->polish(mine);
        QCOMPARE(mine.color(QPalette::Window), QColor(0x393939));
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void brightnessIsStoredShifted_data()
    {
        QTest::addColumn<float>("written");
        QTest::addColumn<float>("readBack");
        QTest::newRow("1.0") << 1.0f << 1.1f;
        QTest::newRow("0.5 is not above the middle") << 0.5f << 0.4f;
        QTest::newRow("0.51") << 0.51f << 0.61f;
        QTest::newRow("0") << 0.0f << -0.1f;
    }

    void brightnessIsStoredShifted()
    {
        QFETCH(float, written);
        QFETCH(float, readBack);
        CWKStyle style;
        QCOMPARE(style.brightness(), 0.4f);
        style.setBrightness(written);
        QCOMPARE(style.brightness(), readBack);
        // The property goes through the same rule.
        CWKStyle other;
        QVERIFY(other.setProperty("brightness", written));
        QCOMPARE(other.property("brightness").toFloat(), readBack);
    }

    void styleHints()
    {
        CWKStyle style;
        QCOMPARE(style.styleHint(QStyle::SH_UnderlineShortcut), 1);
        QCOMPARE(style.styleHint(QStyle::SH_DialogButtonLayout), int(QDialogButtonBox::MacLayout));
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        for (QStyle::StyleHint hint : {QStyle::SH_Menu_SloppySubMenus, QStyle::SH_ComboBox_Popup,
                                       QStyle::SH_Slider_AbsoluteSetButtons, QStyle::SH_TabBar_Alignment})
            QCOMPARE(style.styleHint(hint), fusion->styleHint(hint));
    }

    void headerSectionIsAFlatWindowFill()
    {
        CWKStyle style;
        QStyleOptionHeader header;
        header.rect = QRect(0, 0, 40, 20);
        header.palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
        header.state = QStyle::State_Enabled | QStyle::State_Raised;
        QImage image = imgCanvas(40, 20);
        QPainter painter(&image);
        style.drawControl(QStyle::CE_HeaderSection, &header, &painter);
        painter.end();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                QCOMPARE(QColor(image.pixel(x, y)), QColor(0x12, 0x34, 0x56));
    }

    void elementsDrawnOnlyWithTheRightOption()
    {
        CWKStyle style;
        QImage image = imgCanvas(40, 24);
        QPainter painter(&image);
        QStyleOption plain;
        plain.rect = image.rect();
        plain.palette = style.standardPalette();
        style.drawPrimitive(QStyle::PE_FrameStatusBarItem, &plain, &painter);
        QVERIFY2(bUntouched(image), "the status-bar item frame is drawn");
        style.drawControl(QStyle::CE_TabBarTab, &plain, &painter);
        QVERIFY2(bUntouched(image), "a tab is drawn from an option that is no tab option");
        QStyleOptionSlider notAToolButton;
        notAToolButton.rect = image.rect();
        notAToolButton.palette = style.standardPalette();
        style.drawComplexControl(QStyle::CC_ToolButton, &notAToolButton, &painter);
        QVERIFY2(bUntouched(image), "a tool button is drawn from a slider option");

        QStyleOptionToolButton toolButton;
        toolButton.rect = image.rect();
        toolButton.palette = style.standardPalette();
        toolButton.text = QStringLiteral("Go");
        toolButton.toolButtonStyle = Qt::ToolButtonTextOnly;
        toolButton.state = QStyle::State_Enabled | QStyle::State_Raised | QStyle::State_Sunken;
        toolButton.subControls = QStyle::SC_ToolButton;
        toolButton.activeSubControls = QStyle::SC_ToolButton;
        style.drawComplexControl(QStyle::CC_ToolButton, &toolButton, &painter);
        painter.end();
        QVERIFY(!bUntouched(image));
    }

    void unselectedTabLabelFollowsBrightness()
    {
        CWKStyle style;
        const QImage light = imgDrawTab(style, 1.0f, false);
        const QImage dark = imgDrawTab(style, 0.5f, false);
        QVERIFY(!bUntouched(light));
        QCOMPARE(iLightestValue(light), 0xc0 + 15);
        QCOMPARE(iLightestValue(dark), 0xc0 - 15);
        // Just above the middle already counts as light.
        QCOMPARE(imgDrawTab(style, 0.51f, false), light);

        // A selected tab keeps its label whatever the brightness.
        const QImage selected = imgDrawTab(style, 1.0f, true);
        QCOMPARE(imgDrawTab(style, 0.3f, true), selected);
        QCOMPARE(iLightestValue(selected), 0xc0);
    }

    void unselectedTabIsDarker_data()
    {
        QTest::addColumn<bool>("framed");
        QTest::newRow("tab of a tab widget") << true;
        QTest::newRow("tab of a frameless bar") << false;
    }

    void unselectedTabIsDarker()
    {
        QFETCH(bool, framed);
        CWKStyle style;
        const QPoint face(40, 4);
        const QImage selected = imgDrawTab(style, 1.0f, true, framed);
        const QImage unselected = imgDrawTab(style, 1.0f, false, framed);
        QVERIFY2(QColor(unselected.pixel(face)).value() + 20 < QColor(selected.pixel(face)).value(),
                 qPrintable(QStringLiteral("%1 against %2")
                                .arg(QColor(unselected.pixel(face)).name(), QColor(selected.pixel(face)).name())));
    }

    void shiftValueClamps_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("value");
        QTest::newRow("up") << QColor(0x39, 0x39, 0x39) << 15 << 0x39 + 15;
        QTest::newRow("down past black") << QColor(10, 10, 10) << -30 << 0;
        QTest::newRow("up past white") << QColor(250, 250, 250) << 15 << 255;
    }

    void shiftValueClamps()
    {
        QFETCH(QColor, colour);
        QFETCH(int, delta);
        QFETCH(int, value);
        colour.setAlpha(10);
        QColor& result = qcolShiftValue(colour, delta);
        QCOMPARE(&result, &colour);
        QCOMPARE(colour.value(), value);
        QCOMPARE(colour.alpha(), 255);
    }

    void iconSetCarriesItsStatePictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("disabled");
        QTest::newRow("active and disabled") << "Undo.png" << true << true;
        QTest::newRow("active only") << "AutoKeyframe.png" << true << false;
        QTest::newRow("disabled only") << "Play_Stop.png" << false << true;
        QTest::newRow("no variants") << "Play_Loop.png" << false << false;
    }

    void iconSetCarriesItsStatePictures()
    {
        QFETCH(QString, name);
        QFETCH(bool, active);
        QFETCH(bool, disabled);
        const QIcon icon = qicnGetResourceIconSet(name);
        QVERIFY(!icon.isNull());
        QVERIFY(!icon.availableSizes(QIcon::Normal).isEmpty());
        QCOMPARE(!icon.availableSizes(QIcon::Active).isEmpty(), active);
        QCOMPARE(!icon.availableSizes(QIcon::Disabled).isEmpty(), disabled);
        QVERIFY(icon.availableSizes(QIcon::Selected).isEmpty());

        const QString stem = QStringLiteral(":/Resources/") + name.chopped(4);
        const QSize size = icon.availableSizes(QIcon::Normal).first();
        QCOMPARE(imgComparable(icon.pixmap(size, QIcon::Normal).toImage()),
                 imgComparable(QImage(stem + QStringLiteral(".png"))));
        if (disabled)
            QCOMPARE(imgComparable(icon.pixmap(size, QIcon::Disabled).toImage()),
                     imgComparable(QImage(stem + QStringLiteral("Disabled.png"))));
    }

    void missingPicturesGiveNullResults()
    {
        QVERIFY(qicnGetResourceIconSet(QStringLiteral("NoSuchIcon.png")).isNull());
        QVERIFY(qpixGetResourcePixmap(QStringLiteral("/Resources/NoSuchIcon.png")).isNull());
        QVERIFY(qpixGetResourcePixmapWithAlpha(QStringLiteral("NoSuchIcon.png")).isNull());
        QVERIFY(qbmpGetResourceBitmap(QStringLiteral("NoSuchIcon.png"), true).isNull());
        QVERIFY(!qpixGetResourcePixmap(qstrGetSplashFileName(QStringLiteral("plintrapro"))).isNull());
    }

    void cursorBitmapIsOneBit()
    {
        const QBitmap mask = qpixGetResourcePixmapMasked(QStringLiteral("CursorHandMask.png"));
        QVERIFY(!mask.isNull());
        QCOMPARE(mask.depth(), 1);
        QCOMPARE(mask.size(), QImage(QStringLiteral(":/Resources/CursorHandMask.png")).size());
    }

    void tintedPictureKeepsShapeInProductColour_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("plintra") << "plintra" << QColor(103, 141, 178);
        QTest::newRow("plintrapro") << "plintrapro" << QColor(224, 160, 64);
    }

    void tintedPictureKeepsShapeInProductColour()
    {
        QFETCH(QString, product);
        QFETCH(QColor, colour);
        vSetProduct(product);
        const QString name = QStringLiteral("ToolHand.png");
        const QImage original =
            QImage(QStringLiteral(":/Resources/") + name).convertToFormat(QImage::Format_ARGB32);
        const QImage tinted = qpixGetResourcePixmapWithAlpha(name).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(tinted.size(), original.size());
        int opaque = 0;
        int clear = 0;
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                const int alpha = qAlpha(original.pixel(x, y));
                QCOMPARE(qAlpha(tinted.pixel(x, y)), alpha);
                if (alpha == 255) {
                    ++opaque;
                    QCOMPARE(QColor(tinted.pixel(x, y)), colour);
                } else if (alpha == 0) {
                    ++clear;
                }
            }
        }
        QVERIFY2(opaque > 0 && clear > 0, "the picture needs a shape on a clear ground");
    }

    void styleSheetsAppendInOrder()
    {
        QTemporaryDir install;
        const QString folder = install.filePath(QStringLiteral("resources/stylesheets/"));
        vWriteFile(folder + QStringLiteral("main.css"), "QLabel { color: white; }");
        vWriteFile(folder + QStringLiteral("plintra.css"), "QLabel { color: #678db2; }");
        vWriteFile(folder + QStringLiteral("empty.css"), "");
        pGetUserSettings()->setValue(QStringLiteral("InstallDir"), install.path());

        qApp->setStyleSheet(QStringLiteral("QWidget { margin: 0px; }"));
        vLoadStyleSheet(QStringLiteral("main.css"));
        vLoadStyleSheet(QStringLiteral("plintra.css"));
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QWidget { margin: 0px; }\nQLabel { color: white; }\n"
                                                    "QLabel { color: #678db2; }"));

        const QString before = qApp->styleSheet();
        vLoadStyleSheet(QStringLiteral("empty.css"));
        vLoadStyleSheet(QStringLiteral("missing.css"));
        QCOMPARE(qApp->styleSheet(), before);

        vLoadStyleSheet(QStringLiteral("main.css"));
        QCOMPARE(qApp->styleSheet(), before + QStringLiteral("\nQLabel { color: white; }"));
        QCOMPARE(qApp->styleSheet().count(QStringLiteral("color: white")), 2);
    }

    // The sheets the build ships parse, and the product's sheet wins with its accent.
    void shippedSheetsGiveTheProductAccent_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QColor>("accent");
        QTest::newRow("plintra") << "plintra" << QColor(0x678db2);
        QTest::newRow("plintra4ae") << "plintra4ae" << QColor(0x9a6bd0);
        QTest::newRow("plintrapro") << "plintrapro" << QColor(0xe0a040);
    }

    void shippedSheetsGiveTheProductAccent()
    {
        QFETCH(QString, product);
        QFETCH(QColor, accent);
        pGetUserSettings()->setValue(QStringLiteral("InstallDir"), QStringLiteral(PLINTRA_STAGE_DIR));
        vLoadStyleSheet(QStringLiteral("main.css"));
        const int mainLength = qApp->styleSheet().size();
        QVERIFY(mainLength > 1000);
        vLoadStyleSheet(product + QStringLiteral(".css"));
        QVERIFY(qApp->styleSheet().size() > mainLength);

        QTest::failOnWarning(QRegularExpression(QStringLiteral("parse")));
        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QCOMPARE(edit.palette().color(QPalette::Highlight), accent);
        qApp->setStyleSheet(QString());
    }

    // Kept last: registered application fonts stay for the rest of the run.
    void bundledFontsAreRegistered()
    {
        QTemporaryDir install;
        pGetUserSettings()->setValue(QStringLiteral("InstallDir"), install.path());
        vLoadApplicationFonts();
        QVERIFY2(QFontDatabase::applicationFontFamilies(0).isEmpty(), "a font came from a missing folder");

        const QDir shipped(QStringLiteral(PLINTRA_STAGE_DIR "/resources/fonts"));
        const QStringList fonts = shipped.entryList({QStringLiteral("*.ttf")}, QDir::Files);
        QVERIFY2(!fonts.isEmpty(), "the build ships no font");
        const QString folder = install.filePath(QStringLiteral("resources/fonts/"));
        QDir().mkpath(folder);
        for (const QString& font : fonts)
            QVERIFY(QFile::copy(shipped.absoluteFilePath(font), folder + font));
        // A font of another kind is not picked up.
        QVERIFY(QFile::copy(shipped.absoluteFilePath(fonts.first()), folder + QStringLiteral("Other.otf")));

        vLoadApplicationFonts();
        QStringList families;
        for (int id = 0; id < fonts.size(); ++id)
            families << QFontDatabase::applicationFontFamilies(id);
        QVERIFY2(families.contains(QStringLiteral("DejaVu Sans")), qPrintable(families.join(", ")));
        QVERIFY(QFontDatabase::applicationFontFamilies(int(fonts.size())).isEmpty());
        QVERIFY(QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")));
    }
};

PLINTRA_TEST_MAIN(TestLook)
#include "tst_look.moc"
