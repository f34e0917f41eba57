#include "TestEnvironment.h"

#include "Murn.h"
#include "brandor.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QThread>
#include <memory>
#include <thread>

namespace {
// Records every change it hears and the thread it heard it on.
class TstChangeRecorder : public QObject {
public:
    struct Heard {
        const void* pSubject;
        int iType;
        int iIndex;
        QThread* pThread;
    };
    void vHear(Vosk::Change& change)
    {
        m_heard.push_back({change.getSubject(), change.getType(), change.getAffectedIndex(), QThread::currentThread()});
    }
    std::vector<Heard> m_heard;
    std::vector<int> vecTypes() const
    {
        std::vector<int> types;
        for (const Heard& heard : m_heard)
            types.push_back(heard.iType);
        return types;
    }
};
std::vector<Murn::ParameterWithoutType*> s_vecTstRemoved;
void vTstParameterRemoved(Murn::ParameterWithoutType* parameter)
{
    s_vecTstRemoved.push_back(parameter);
}
} // namespace

class TstMurnParameters : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { standin::testing::vReset(); }

    void keysInterpolateAndHoldOutsideTheirSpan()
    {
        Murn::NumericParameter<float> opacity(QStringLiteral("Opacity"), 0.5f, 0.0f, 100.0f);
        QVERIFY(!opacity.isAnimated());
        QCOMPARE(opacity.valueAt(7.0f), 0.5f);

        opacity.setValueAt(10.0f, 10.0f);
        opacity.setValueAt(30.0f, 20.0f);
        QVERIFY(opacity.isAnimated());
        QCOMPARE(opacity.valueAt(0.0f), 10.0f);
        QCOMPARE(opacity.valueAt(15.0f), 20.0f);
        QCOMPARE(opacity.valueAt(40.0f), 30.0f);
        // The static value is kept but not used while keys exist.
        QCOMPARE(opacity.staticValue(), 0.5f);

        opacity.setInterpolationAt(Murn::Interpolation::Constant, 10.0f);
        QCOMPARE(opacity.valueAt(19.0f), 10.0f);

        QVERIFY(opacity.bHasKeyAt(20.0f));
        QVERIFY(!opacity.bHasKeyAt(19.0f));
        QVERIFY(!opacity.removeKeyAt(19.0f));
        QVERIFY(opacity.removeKeyAt(20.0f));
        QCOMPARE(opacity.uiGetKeyCount(), 1u);
    }

    void integerKeysRoundAndBytesStep()
    {
        Murn::NumericParameter<unsigned int> width(QStringLiteral("Width"), 0, 0, 1000);
        width.setValueAt(0, 0.0f);
        width.setValueAt(3, 4.0f);
        QCOMPARE(width.valueAt(2.0f), 2u); // 1.5 rounds up
        QVERIFY(width.isInteger());

        Murn::NumericParameter<unsigned char> blur(QStringLiteral("Motion Blur"), 0, 0, 1);
        blur.setValueAt(0, 0.0f);
        blur.setValueAt(1, 10.0f);
        QCOMPARE(int(blur.valueAt(9.0f)), 0);
        QCOMPARE(int(blur.valueAt(10.0f)), 1);
    }

    void valuesStayWithinTheLimits()
    {
        Murn::NumericParameter<double> gain(QStringLiteral("Gain"), 5.0, 0.0, 2.0);
        QCOMPARE(gain.staticValue(), 2.0);
        gain.setStaticValue(-1.0);
        QCOMPARE(gain.staticValue(), 0.0);
        gain.setValueAt(9.0, 3.0f);
        QCOMPARE(gain.keyValue(0), 2.0);
    }

    void nearestKeyPicksTheCloserOneAndTheEarlierOnATie()
    {
        Murn::NumericParameter<float> value(QStringLiteral("Value"), 0, -10, 10);
        int index = 7;
        value.vGetNearestKeyIndex(3.0f, index);
        QCOMPARE(index, -1);
        value.setValueAt(1, 10.0f);
        value.setValueAt(2, 20.0f);
        value.vGetNearestKeyIndex(16.0f, index);
        QCOMPARE(index, 1);
        value.vGetNearestKeyIndex(15.0f, index);
        QCOMPARE(index, 0);
    }

    void everyChangeReachesTheObserversWithItsType()
    {
        Murn::NumericParameter<float> value(QStringLiteral("Value"), 0, -10, 10);
        TstChangeRecorder recorder;
        value.AttachObserver(&recorder, &TstChangeRecorder::vHear);

        value.setStaticValue(1);
        value.setValueAt(2, 5.0f);
        value.setValueAt(3, 5.0f);
        value.setValueAt(4, 1.0f);
        value.setInterpolationAt(Murn::Interpolation::Constant, 1.0f);
        value.removeKeyAt(5.0f);
        value.vClearKeys();

        const std::vector<int> expected = {Vosk::Change::STATIC_VALUE_CHANGED, Vosk::Change::KEY_ADDED,
            Vosk::Change::KEY_VALUE_CHANGED, Vosk::Change::KEY_ADDED, Vosk::Change::INTERPOLATION_CHANGED,
            Vosk::Change::KEY_REMOVED, Vosk::Change::KEY_REMOVED};
        QCOMPARE(recorder.vecTypes(), expected);
        // The key at 1 went in before the one at 5.
        QCOMPARE(recorder.m_heard[3].iIndex, 0);
        QCOMPARE(recorder.m_heard[5].iIndex, 1);
        for (const auto& heard : recorder.m_heard)
            QCOMPARE(heard.pSubject, static_cast<const void*>(&value));

        value.DetachObserver(&recorder);
        value.setStaticValue(2);
        QCOMPARE(recorder.m_heard.size(), expected.size());
    }

    void aDestroyedObserverIsForgotten()
    {
        Murn::NumericParameter<int> value(QStringLiteral("Value"), 0, -10, 10);
        auto recorder = std::make_unique<TstChangeRecorder>();
        value.AttachObserver(recorder.get(), &TstChangeRecorder::vHear);
        recorder.reset();
        value.setStaticValue(3);
        QCOMPARE(value.staticValue(), 3);
    }

    void removingALayerSendsTheRemovalNoticeOfEachParameter()
    {
        const CW_Instance project = standin::testing::pCreateProject();
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Layer 1"));
        const int other = standin::testing::iAddLayer(project, QStringLiteral("Layer 2"));
        QCOMPARE(pglGetLayerIDList(project), (std::vector<int> {layer, other}));
        QCOMPARE(qstrGetLayerName(project, other), QStringLiteral("Layer 2"));

        CW_LayerParameterSet* parameters = pGetLayerParameters(project, layer);
        QVERIFY(parameters);
        auto* opacity = parameters->pAddNumeric<float>(QStringLiteral("Opacity"), 1.0f, 0.0f, 1.0f);
        auto* blur = parameters->pAddNumeric<unsigned char>(QStringLiteral("Motion Blur"), 0, 0, 1);
        TstChangeRecorder recorder;
        opacity->AttachObserver(&recorder, &TstChangeRecorder::vHear);
        blur->AttachObserver(&recorder, &TstChangeRecorder::vHear);

        standin::testing::vRemoveLayer(project, layer);
        QCOMPARE(recorder.vecTypes(), (std::vector<int> {Vosk::Change::REMOVED, Vosk::Change::REMOVED}));
        QCOMPARE(pglGetLayerIDList(project), std::vector<int> {other});
        QVERIFY(!pGetLayerParameters(project, layer));
    }

    void closingTheProjectRemovesItsParameters()
    {
        const CW_Instance project = standin::testing::pCreateProject();
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Layer"));
        auto* size = pGetLayerParameters(project, layer)->pAddNumeric<unsigned int>(QStringLiteral("Size"), 4, 0, 9);
        TstChangeRecorder recorder;
        size->AttachObserver(&recorder, &TstChangeRecorder::vHear);
        vCloseProject(project);
        QCOMPARE(recorder.vecTypes(), std::vector<int> {Vosk::Change::REMOVED});
        QVERIFY(pglGetLayerIDList(project).empty());
        QCOMPARE(standin::testing::iAddLayer(project, QStringLiteral("late")), -1);
    }

    void theUserInterfaceHearsOfEachRemovalOnce()
    {
        s_vecTstRemoved.clear();
        pstctBRD_GetCallbackStruct()->pfnParameterRemoved = &vTstParameterRemoved;
        auto set = std::make_unique<Murn::ParameterSet>(QStringLiteral("Set"));
        auto* kept = set->pAddNumeric<float>(QStringLiteral("Kept"), 0, 0, 1);
        auto* dropped = set->pAddNumeric<float>(QStringLiteral("Dropped"), 0, 0, 1);
        QVERIFY(set->bRemove(QStringLiteral("Dropped")));
        QCOMPARE(s_vecTstRemoved, std::vector<Murn::ParameterWithoutType*> {dropped});
        QCOMPARE(set->pFind(QStringLiteral("Kept")), kept);
        set.reset();
        QCOMPARE(s_vecTstRemoved, (std::vector<Murn::ParameterWithoutType*> {dropped, kept}));
        pstctBRD_GetCallbackStruct()->pfnParameterRemoved = nullptr;
    }

    void changesFromAWorkerArriveOnTheObserversThread()
    {
        Murn::NumericParameter<double> value(QStringLiteral("Value"), 0, 0, 10);
        TstChangeRecorder recorder;
        value.AttachObserver(&recorder, &TstChangeRecorder::vHear);
        std::thread worker([&value] {
            value.setStaticValue(1);
            value.setStaticValue(2);
        });
        worker.join();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.m_heard.size(), size_t(2), 5000);
        for (const auto& heard : recorder.m_heard)
            QCOMPARE(heard.pThread, QThread::currentThread());
        QCOMPARE(value.staticValue(), 2.0);
    }

    void queuedChangesForAnObserverDestroyedMeanwhileAreDropped()
    {
        Murn::NumericParameter<double> value(QStringLiteral("Value"), 0, 0, 10);
        auto recorder = std::make_unique<TstChangeRecorder>();
        value.AttachObserver(recorder.get(), &TstChangeRecorder::vHear);
        std::thread worker([&value] { value.setStaticValue(1); });
        worker.join();
        recorder.reset();
        QCoreApplication::processEvents();
        QCOMPARE(value.staticValue(), 1.0);
    }

    void clipListingFollowsTheRegistrations()
    {
        const CW_Instance project = standin::testing::pCreateProject();
        TOLV_ParameterManager* manager = pGetParameterManager(project);
        QVERIFY(manager);
        QSignalSpy changed(manager, &TOLV_ParameterManager::availableClipsChanged);
        CW_ClipInfo info;
        info.bDerived = true;
        standin::testing::vSetClipListing(project, 1, QStringLiteral("Main"), CW_ClipInfo());
        standin::testing::vSetClipListing(project, 3, QStringLiteral("Render"), info, 1, true);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(pglGetClipList(project), (std::vector<CW_CLIP_ID> {1, 3}));
        QCOMPARE(eGetBaseClipID(project, 3), CW_CLIP_ID(1));
        QCOMPARE(eGetBaseClipID(project, 1), CW_CLIP_ID(1));
        QVERIFY(bGetIsGarbageMatteClip(project, 3));
        QVERIFY(pcstctGetClipInfo(project, 3)->bDerived);
        QCOMPARE(qstrGetClipName(project, 3), QStringLiteral("Render"));

        standin::testing::vUnregisterClip(project, 3);
        QCOMPARE(changed.count(), 3);
        QCOMPARE(pglGetClipList(project), std::vector<CW_CLIP_ID> {1});
        QVERIFY(!pcstctGetClipInfo(project, 3));
        QCOMPARE(eGetBaseClipID(project, 3), CW_CLIP_ID(0));
    }
};

PLINTRA_TEST_MAIN(TstMurnParameters)
#include "tst_murnparameters.moc"
