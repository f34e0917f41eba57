// The project file keeps the clip listing, the layers and every layer parameter: a saved
// project opens with the same layers, values, limits and keys, to the last bit; damaged
// sections are refused by name; files written before these sections still open.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Murn.h"
#include "brandor.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QXmlErrorHandler>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
class PflQuietHandler : public QXmlErrorHandler {
public:
    bool warning(const QXmlParseException&) override { return true; }
    bool error(const QXmlParseException&) override { return false; }
    bool fatalError(const QXmlParseException&) override { return false; }
    QString errorString() const override { return {}; }
};

CW_Instance pPflOpen(const QString& path)
{
    PflQuietHandler handler;
    CW_Color colours[5];
    ManagerSuite managers;
    return pOpenProject(pstctBRD_GetCallbackStruct(), nullptr, nullptr, QString(), nullptr, nullptr, QString(), false,
        path.toUtf8().constData(), 10, "", handler, nullptr, colours, managers, false);
}

QByteArray baPflRead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The body with a fresh checksum line, as the program would have written it.
QByteArray baPflSealed(QByteArray body)
{
    const int at = body.lastIndexOf("checksum=");
    if (at >= 0)
        body.truncate(at);
    return body + "checksum=" + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex() + '\n';
}

void vPflWrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Floating-point values compare by their bits, so that a value read back to the nearest
// printed decimal does not pass.
template <typename T> bool bPflSame(T a, T b)
{
    if constexpr (std::is_floating_point<T>::value)
        return std::memcmp(&a, &b, sizeof(T)) == 0;
    else
        return a == b;
}

template <typename T> QString qstrPflShow(T value)
{
    if constexpr (std::is_floating_point<T>::value)
        return QString::number(double(value), 'g', 20);
    else
        return QString::number(value);
}

template <typename T>
QString qstrPflNumericDifference(const Murn::ParameterWithoutType* expected, const Murn::ParameterWithoutType* actual)
{
    const auto* a = dynamic_cast<const Murn::NumericParameter<T>*>(expected);
    const auto* b = dynamic_cast<const Murn::NumericParameter<T>*>(actual);
    const QString name = expected->qstrGetName();
    if (!a || !b)
        return name + ": not of the same value type";
    if (!bPflSame(a->staticValue(), b->staticValue()))
        return name + ": static value " + qstrPflShow(b->staticValue()) + " instead of "
            + qstrPflShow(a->staticValue());
    if (!bPflSame(a->lowerLimit(), b->lowerLimit()) || !bPflSame(a->upperLimit(), b->upperLimit()))
        return name + ": limits differ";
    const auto keysA = a->vecGetKeys();
    const auto keysB = b->vecGetKeys();
    if (keysA.size() != keysB.size())
        return name + QStringLiteral(": %1 keys instead of %2").arg(keysB.size()).arg(keysA.size());
    for (size_t i = 0; i < keysA.size(); ++i) {
        if (!bPflSame(keysA[i].fTime, keysB[i].fTime) || !bPflSame(keysA[i].value, keysB[i].value)
            || keysA[i].eInterpolation != keysB[i].eInterpolation)
            return name
                + QStringLiteral(": key %1 differs (time %2, value %3)")
                      .arg(i)
                      .arg(qstrPflShow(keysB[i].fTime), qstrPflShow(keysB[i].value));
    }
    return QString();
}

// The first difference between two parameter sets, empty when they are the same.
QString qstrPflSetDifference(const Murn::ParameterSet& expected, const Murn::ParameterSet& actual)
{
    if (expected.qstrGetName() != actual.qstrGetName())
        return "set named " + actual.qstrGetName();
    const auto a = expected.vecGetParameters();
    const auto b = actual.vecGetParameters();
    if (a.size() != b.size())
        return QStringLiteral("%1 parameters instead of %2").arg(b.size()).arg(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i]->qstrGetName() != b[i]->qstrGetName() || a[i]->eGetValueType() != b[i]->eGetValueType())
            return QStringLiteral("parameter %1 is %2").arg(i).arg(b[i]->qstrGetName());
        QString difference;
        switch (a[i]->eGetValueType()) {
        case Murn::ValueType::Bool:
            difference = qstrPflNumericDifference<bool>(a[i], b[i]);
            break;
        case Murn::ValueType::UnsignedChar:
            difference = qstrPflNumericDifference<unsigned char>(a[i], b[i]);
            break;
        case Murn::ValueType::Int:
            difference = qstrPflNumericDifference<int>(a[i], b[i]);
            break;
        case Murn::ValueType::UnsignedInt:
            difference = qstrPflNumericDifference<unsigned int>(a[i], b[i]);
            break;
        case Murn::ValueType::Float:
            difference = qstrPflNumericDifference<float>(a[i], b[i]);
            break;
        case Murn::ValueType::Double:
            difference = qstrPflNumericDifference<double>(a[i], b[i]);
            break;
        }
        if (!difference.isEmpty())
            return difference;
    }
    return QString();
}
} // namespace

class TstProjectFileLayers : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_qstrFirst;

    QString qstrPath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    // A project with one layer "L" holding one keyed float parameter, written to path.
    QByteArray baSmallProjectFile(const QString& path)
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("L"));
        auto* opacity = pGetLayerParameters(project, layer)->pAddNumeric<float>(QStringLiteral("Opacity"), 0.5f, 0, 1);
        opacity->setValueAt(0.25f, 10);
        opacity->setValueAt(0.75f, 20);
        standin::testing::vWriteProjectFile(project, path, kuiProjectFileVersion);
        vCloseProject(project);
        return baPflRead(path);
    }

private slots:
    void initTestCase() { m_qstrFirst = testenv::qstrWriteSequence(qstrPath("media"), "take1.", 3, 32, 24); }

    void cleanup() { standin::testing::vReset(); }

    void layersParametersAndListingComeBackWhole()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        standin::testing::vSetUseTimeCode(project, true);
        CW_ClipInfo info = *pcstctGetClipInfo(project, 1);
        info.bSourceClip = false;
        standin::testing::vSetClipListing(project, 2, QStringLiteral("track"), info, 1, false);
        standin::testing::vSetClipListing(project, 3, QStringLiteral("matte"), info, 2, true);

        // Layer 2 goes again, so the listing has a gap and the next number is 4.
        const int first = standin::testing::iAddLayer(project, QStringLiteral("Fore = ground\nwith two lines"));
        const int removed = standin::testing::iAddLayer(project, QStringLiteral("Scratch"));
        const int second = standin::testing::iAddLayer(project, QStringLiteral("Matte"));
        standin::testing::vRemoveLayer(project, removed);

        // Values that need every digit, the extremes of each type, and per-key interpolation
        // other than each type's default.
        CW_LayerParameterSet* a = pGetLayerParameters(project, first);
        auto* angle = a->pAddNumeric<double>(QStringLiteral("Angle"), 0.1 + 0.2,
            -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity());
        angle->setValueAt(M_PI, 0.1f);
        angle->setValueAt(std::numeric_limits<double>::denorm_min(), 12.25f);
        angle->setValueAt(-1.0 / 3.0, 1e-3f);
        angle->setValueAt(std::numeric_limits<double>::max(), 250000.5f);
        angle->setInterpolationAt(Murn::Interpolation::Constant, 12.25f);
        auto* opacity = a->pAddNumeric<float>(QStringLiteral("Opacity"), 0.3f, 0.0f, 1.0f);
        opacity->setValueAt(0.1f, 10);
        opacity->setValueAt(16777215.0f / 16777216.0f, 20);
        opacity->setInterpolationAt(Murn::Interpolation::Constant, 20);
        auto* size = a->pAddNumeric<unsigned int>(
            QStringLiteral("Size"), 4000000000u, 0u, std::numeric_limits<unsigned int>::max());
        size->setValueAt(std::numeric_limits<unsigned int>::max(), 5);

        CW_LayerParameterSet* b = pGetLayerParameters(project, second);
        auto* offset = b->pAddNumeric<int>(QStringLiteral("Offset"), std::numeric_limits<int>::min(),
            std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        offset->setValueAt(std::numeric_limits<int>::max(), -3.5f);
        offset->setValueAt(-7, 9.75f);
        auto* enabled = b->pAddNumeric<bool>(QStringLiteral("Enabled"), true, false, true);
        enabled->setValueAt(false, 2);
        enabled->setValueAt(true, 8);
        enabled->setInterpolationAt(Murn::Interpolation::Linear, 2);
        auto* blur = b->pAddNumeric<unsigned char>(QStringLiteral("Motion Blur"), 255, 0, 255);
        blur->setValueAt(0, 1);
        b->pAddNumeric<float>(QStringLiteral("Unkeyed"), -0.0f, -2.0f, 2.0f);

        const QString path = qstrPath("layers.pln");
        standin::testing::vWriteProjectFile(project, path, kuiProjectFileVersion);
        CW_Instance reopened = nullptr;
        try {
            reopened = pPflOpen(path);
        } catch (const CW_Exception& error) {
            QFAIL(error.what());
        }
        QVERIFY(bIsValidInstance(reopened));

        QVERIFY(bGetUseTimeCode(reopened));
        QCOMPARE(eGetBaseClipID(reopened, 1), CW_CLIP_ID(1));
        QCOMPARE(eGetBaseClipID(reopened, 2), CW_CLIP_ID(1));
        QCOMPARE(eGetBaseClipID(reopened, 3), CW_CLIP_ID(2));
        QVERIFY(bGetIsGarbageMatteClip(reopened, 3));
        QVERIFY(!bGetIsGarbageMatteClip(reopened, 2));
        QCOMPARE(pglGetLayerIDList(reopened), (std::vector<int> {first, second}));
        QCOMPARE(qstrGetLayerName(reopened, first), qstrGetLayerName(project, first));
        QCOMPARE(qstrGetLayerName(reopened, second), QStringLiteral("Matte"));
        for (const int layer : {first, second}) {
            const QString difference
                = qstrPflSetDifference(*pGetLayerParameters(project, layer), *pGetLayerParameters(reopened, layer));
            QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("layer %1: ").arg(layer) + difference));
        }
        // Interpolation between the restored keys is the original's.
        QCOMPARE(opacity->valueAt(15),
            static_cast<Murn::NumericParameter<float>*>(
                pGetLayerParameters(reopened, first)->pFind(QStringLiteral("Opacity")))
                ->valueAt(15));

        // Saving the opened project writes the same file again, and a new layer takes a
        // number never used before.
        const QString again = qstrPath("layers-again.pln");
        standin::testing::vWriteProjectFile(reopened, again, kuiProjectFileVersion);
        QCOMPARE(baPflRead(again), baPflRead(path));
        QCOMPARE(standin::testing::iAddLayer(reopened, QStringLiteral("New")), 4);
    }

    void fileWithoutTheseSectionsStillOpens()
    {
        // What the writer produced before listing and layers were kept: the same file up to
        // the first of the new sections.
        const QByteArray current = baSmallProjectFile(qstrPath("current.pln"));
        const int listing = current.indexOf("\n[listing]\n");
        QVERIFY(listing > 0);
        QVERIFY(!current.left(listing).contains("[layer") && !current.left(listing).contains("[parameter"));
        const QString path = qstrPath("before.pln");
        vPflWrite(path, baPflSealed(current.left(listing + 1)));

        CW_Instance project = pPflOpen(path);
        QVERIFY(bIsValidInstance(project));
        QCOMPARE(pglGetClipList(project), std::vector<CW_CLIP_ID> {1});
        QVERIFY(pglGetLayerIDList(project).empty());
        QVERIFY(!bGetUseTimeCode(project));
        QCOMPARE(eGetBaseClipID(project, 1), CW_CLIP_ID(1));
        QCOMPARE(standin::testing::iAddLayer(project, QStringLiteral("First")), 1);
    }

    void damagedSectionsAreRefused_data()
    {
        QTest::addColumn<QList<QByteArrayList>>("edits");
        QTest::addColumn<QString>("detail");
        using Edits = QList<QByteArrayList>;
        QTest::newRow("static value not a number")
            << Edits {{"static=0.5\n", "static=half\n"}} << "\"static\" in [parameter 1] is not a valid float value";
        QTest::newRow("float out of range")
            << Edits {{"upper=1\n", "upper=1e39\n"}} << "\"upper\" in [parameter 1] is not a valid float value";
        QTest::newRow("unsigned char out of range") << Edits {{"type=float\n", "type=uchar\n"},
            {"static=0.5\n", "static=256\n"}} << "\"static\" in [parameter 1] is not a valid uchar value";
        QTest::newRow("negative unsigned int") << Edits {{"type=float\n", "type=uint\n"},
            {"static=0.5\n", "static=-1\n"}} << "\"static\" in [parameter 1] is not a valid uint value";
        QTest::newRow("fraction for an int") << Edits {{"type=float\n", "type=int\n"}, {"static=0.5\n", "static=0\n"},
            {"lower=0\n", "lower=0.5\n"}} << "\"lower\" in [parameter 1] is not a valid int value";
        QTest::newRow("unknown value type") << Edits {{"type=float\n", "type=complex\n"}}
                                            << "\"Opacity\" in [parameter 1] has an unknown value type \"complex\"";
        QTest::newRow("missing value type") << Edits {{"type=float\n", ""}} << "[parameter 1] lacks \"type\"";
        QTest::newRow("keys out of order")
            << Edits {{"key=10 0.25 linear\nkey=20 0.75 linear\n", "key=20 0.75 linear\nkey=10 0.25 linear\n"}}
            << "the keys of \"Opacity\" in [parameter 1] are out of order";
        QTest::newRow("two keys at one time")
            << Edits {{"key=20 ", "key=10 "}} << "the keys of \"Opacity\" in [parameter 1] are out of order";
        QTest::newRow("key value not a number")
            << Edits {{"key=10 0.25 ", "key=10 x "}} << "a key of \"Opacity\" in [parameter 1] cannot be read";
        QTest::newRow("key without interpolation") << Edits {{"key=10 0.25 linear\n", "key=10 0.25\n"}}
                                                   << "a key of \"Opacity\" in [parameter 1] cannot be read";
        QTest::newRow("unknown interpolation")
            << Edits {{"key=10 0.25 linear\n", "key=10 0.25 cubic\n"}}
            << "a key of \"Opacity\" in [parameter 1] has an unknown interpolation \"cubic\"";
        QTest::newRow("layer recorded twice")
            << Edits {{"[parameter 1]\n", "[layer 1]\nname=Again\n[parameter 1]\n"}} << "layer 1 is recorded twice";
        QTest::newRow("layer without a number")
            << Edits {{"[layer 1]\n", "[layer one]\n"}} << "a layer has no valid number";
        QTest::newRow("parameter of no layer")
            << Edits {{"[parameter 1]\n", "[parameter 7]\n"}} << "[parameter 7] belongs to no layer";
        QTest::newRow("parameter recorded twice") << Edits {{"[parameter 1]\n",
            "[parameter 1]\nname=Opacity\ntype=bool\nstatic=1\nlower=0\nupper=1\n"
            "[parameter 1]\n"}} << "parameter \"Opacity\" of layer 1 is recorded twice";
        QTest::newRow("next layer not a number")
            << Edits {{"next_layer=2\n", "next_layer=two\n"}} << "\"next_layer\" in [listing] is not a number";
        QTest::newRow("base clip pair broken")
            << Edits {{"base_clips=\n", "base_clips=2-1\n"}} << "a base clip in [listing] cannot be read";
        QTest::newRow("garbage matte clip 0")
            << Edits {{"garbage_mattes=\n", "garbage_mattes=0\n"}} << "[listing] names a clip without a valid number";
    }

    void damagedSectionsAreRefused()
    {
        QFETCH(QList<QByteArrayList>, edits);
        QFETCH(QString, detail);
        QByteArray bytes = baSmallProjectFile(qstrPath("small.pln"));
        for (const QByteArrayList& edit : edits) {
            QVERIFY2(bytes.count(edit[0]) == 1, edit[0].constData());
            bytes.replace(edit[0], edit[1]);
        }
        const QString path = qstrPath("damaged.pln");
        vPflWrite(path, baPflSealed(bytes));

        QString message;
        try {
            pPflOpen(path);
        } catch (const CW_BadFile& error) {
            message = QString::fromStdString(error.strUserMessage());
        }
        QCOMPARE(message, "The project file is damaged and cannot be opened: " + detail + ".");
    }
};

PLINTRA_TEST_MAIN(TstProjectFileLayers)
#include "tst_projectfilelayers.moc"
