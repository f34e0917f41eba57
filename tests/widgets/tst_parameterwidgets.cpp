#include "TestEnvironment.h"

#include "Murn.h"
#include "app/ChoiceTables.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "curves/KeyframeManager.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKCheckBox.h"
#include "widgets/CWKComboBox.h"
#include "widgets/CWKLineEdit.h"
#include "widgets/CWKToolButton.h"

#include <QFile>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <memory>
#include <thread>

namespace {
QList<QWidget*> s_lstPressed;
void vTstRecordPress(void* widget)
{
    s_lstPressed << static_cast<QWidget*>(widget);
}

QString qstrTstShippedSheets()
{
    QString sheets;
    for (const char* name : {"main.css", "plintra.css"}) {
        QFile file(QStringLiteral(PLINTRA_STAGE_DIR "/resources/stylesheets/") + QLatin1String(name));
        if (file.open(QIODevice::ReadOnly))
            sheets += QString::fromUtf8(file.readAll()) + QLatin1Char('\n');
    }
    return sheets;
}

// Pixels of the widget's highlight colour, as drawn.
int iTstHighlightPixels(QWidget& widget)
{
    widget.repaint();
    const QImage image = widget.grab().toImage();
    const QRgb highlight = widget.palette().color(QPalette::Highlight).rgb();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xffffff) == (highlight & 0xffffff))
                ++count;
        }
    }
    return count;
}
} // namespace

class TstParameterWidgets : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Murn::NumericParameter<float>> m_pFirst;
    std::unique_ptr<Murn::NumericParameter<float>> m_pSecond;

private slots:
    void initTestCase()
    {
        qApp->setStyleSheet(qstrTstShippedSheets());
        QVERIFY(!qApp->styleSheet().isEmpty());
        CWKParameterWidgetHooks& hooks = stctGetParameterWidgetHooks();
        hooks.pfnCurrentFrame = &dGetCurrentFrame;
        hooks.pfnWidgetPressed = &vTstRecordPress;
    }

    void init()
    {
        s_lstPressed.clear();
        m_pFirst = std::make_unique<Murn::NumericParameter<float>>(QStringLiteral("First"), 1, 0, 10);
        m_pSecond = std::make_unique<Murn::NumericParameter<float>>(QStringLiteral("Second"), 2, 0, 10);
    }

    void cleanup()
    {
        m_pFirst.reset();
        m_pSecond.reset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
    }

    void onlyTheRemovalOfTheBoundParameterUnbinds()
    {
        CWKLineEdit edit;
        edit.resize(120, 28);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.vSetParameter(m_pFirst.get());
        QVERIFY(m_pFirst->bIsObservedBy(edit.pGetObserver()));

        m_pSecond->vAnnounceRemoval();
        m_pFirst->setStaticValue(4);
        QCOMPARE(edit.pGetParameter(), m_pFirst.get());

        QTest::mouseClick(&edit, Qt::LeftButton);
        QCOMPARE(s_lstPressed, QList<QWidget*> {&edit});

        m_pFirst.reset();
        QVERIFY(!edit.pGetParameter());
        QTest::mouseClick(&edit, Qt::LeftButton);
        QCOMPARE(s_lstPressed.size(), 1);
    }

    void rebindingStopsTheFormerParametersNotices()
    {
        CWKCheckBox box;
        box.vSetParameter(m_pFirst.get());
        box.vSetParameter(m_pSecond.get());
        QVERIFY(!m_pFirst->bIsObservedBy(box.pGetObserver()));
        QVERIFY(m_pSecond->bIsObservedBy(box.pGetObserver()));
        // The former parameter's removal is no concern of the box any more.
        m_pFirst.reset();
        QCOMPARE(box.pGetParameter(), m_pSecond.get());
        box.vSetParameter(nullptr);
        QVERIFY(!m_pSecond->bIsObservedBy(box.pGetObserver()));
    }

    void theHighlightFrameIsDrawnByTheBoundMasterOnly()
    {
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* master = new CWKLineEdit(&window);
        auto* member = new CWKLineEdit(&window);
        layout->addWidget(master);
        layout->addWidget(member);
        window.resize(300, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        master->vSetParameter(m_pFirst.get());
        member->vSetParameter(m_pFirst.get());
        master->vAddLinkedWidget(member);

        const int masterPlain = iTstHighlightPixels(*master);
        const int memberPlain = iTstHighlightPixels(*member);
        member->vSetHighlighted(true);
        QVERIFY(master->bIsHighlighted());
        QVERIFY(member->bIsHighlighted());
        QVERIFY2(iTstHighlightPixels(*master) > masterPlain + 40, "the master draws the frame");
        QCOMPARE(iTstHighlightPixels(*member), memberPlain);

        // Unbound, the master draws nothing either.
        master->vSetParameter(nullptr);
        QCOMPARE(iTstHighlightPixels(*master), masterPlain);
    }

    void comboAndToolButtonNeverDrawTheFrame()
    {
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* combo = new CWKComboBox(&window);
        auto* tool = new CWKToolButton(&window);
        combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
        layout->addWidget(combo);
        layout->addWidget(tool);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (Murn::CWKParameterWidgetCommon* widget :
            {static_cast<Murn::CWKParameterWidgetCommon*>(combo), static_cast<Murn::CWKParameterWidgetCommon*>(tool)}) {
            widget->vSetParameter(m_pFirst.get());
            const int plain = iTstHighlightPixels(*widget->pGetWidget());
            widget->vSetHighlighted(true);
            QCOMPARE(iTstHighlightPixels(*widget->pGetWidget()), plain);
        }
    }

    void aGroupOutlivesTheDestructionOfAnyOfItsWidgets()
    {
        auto master = std::make_unique<CWKLineEdit>();
        auto first = std::make_unique<CWKLineEdit>();
        auto second = std::make_unique<CWKLineEdit>();
        master->vAddLinkedWidget(first.get());
        master->vAddLinkedWidget(second.get());
        QCOMPARE(master->vecGetLinkedWidgets().size(), size_t(3));

        first.reset();
        QCOMPARE(
            master->vecGetLinkedWidgets(), (std::vector<Murn::CWKParameterWidgetCommon*> {master.get(), second.get()}));
        master->vSetHighlighted(true);
        master->vRepaintAll();
        QVERIFY(second->bIsHighlighted());

        master.reset();
        QVERIFY(!second->pGetMaster());
        second->vSetHighlighted(false);
        second->vRepaintAll();
        QVERIFY(!second->bIsHighlighted());

        // A last member leaving frees the master's list.
        CWKLineEdit lone;
        {
            CWKLineEdit passing;
            lone.vAddLinkedWidget(&passing);
            QCOMPARE(passing.pGetMaster(), &lone);
        }
        QVERIFY(lone.vecGetLinkedWidgets().empty());
    }

    void toolButtonFollowsAByteParameterAtTheCurrentFrame()
    {
        const CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiCount = 50;
        standin::testing::vRegisterClip(project, 1, clip);
        ProjectManagerInstance::instance()->setInstance(project);
        QVERIFY(bMakeFrameCurrent(project, 10));

        Murn::NumericParameter<unsigned char> blur(QStringLiteral("Motion Blur"), 0, 0, 1);
        CWKToolButton button;
        button.setCheckable(true);
        button.vSetParameter(&blur);
        blur.setValueAt(1, 10.0f);
        QVERIFY(button.isChecked());
        blur.setValueAt(0, 10.0f);
        QVERIFY(!button.isChecked());
        blur.setValueAt(1, 20.0f);
        QVERIFY(!button.isChecked());

        // Parameters of other types leave the button as it is.
        button.setChecked(true);
        button.vSetParameter(m_pFirst.get());
        m_pFirst->setStaticValue(0);
        QVERIFY(button.isChecked());
    }

    void aParameterRemovedByAWorkerIsLetGoSafely()
    {
        auto edit = std::make_unique<CWKLineEdit>();
        auto late = std::make_unique<CWKLineEdit>();
        auto* first = new Murn::NumericParameter<float>(QStringLiteral("Worker's"), 0, 0, 1);
        auto* second = new Murn::NumericParameter<float>(QStringLiteral("Worker's too"), 0, 0, 1);
        edit->vSetParameter(first);
        late->vSetParameter(second);
        std::thread worker([first, second] {
            first->setStaticValue(1);
            delete first;
            delete second;
        });
        worker.join();
        // Destroyed before the removal notice arrives: nothing reaches the gone parameter.
        late.reset();
        QCOMPARE(edit->pGetParameter(), first);
        QTRY_VERIFY_WITH_TIMEOUT(!edit->pGetParameter(), 5000);
        edit->vSetParameter(nullptr);
    }

    void keyframeFocusIsSetAndAnnounced()
    {
        KeyframeManager* manager = KeyframeManager::instance();
        QCOMPARE(manager, KeyframeManager::instance());
        QCOMPARE(manager->eGetKeyframeFocus(), CWKGUI_KEYFRAME_FOCUS_NONE);
        QVERIFY(manager->bGetAutokey());
        QVERIFY(!manager->bGetUberkey());
        QSignalSpy focus(manager, &KeyframeManager::keyframeFocusChanged);
        manager->setKeyframeFocus(CWKGUI_KEYFRAME_FOCUS_PARAMETER);
        QCOMPARE(manager->eGetKeyframeFocus(), CWKGUI_KEYFRAME_FOCUS_PARAMETER);
        QCOMPARE(focus.count(), 1);
        QCOMPARE(focus.at(0).at(0).value<CWKGUI_KEYFRAME_FOCUS>(), CWKGUI_KEYFRAME_FOCUS_PARAMETER);

        // Attached as observer, the manager hears the parameter's changes and removal.
        m_pFirst->AttachObserver(manager, &KeyframeManager::onCurrentKeyframedParameterChanged);
        m_pFirst->setStaticValue(3);
        m_pFirst.reset();
        manager->setKeyframeFocus(CWKGUI_KEYFRAME_FOCUS_NONE);
        QCOMPARE(focus.count(), 2);
    }
};

PLINTRA_TEST_MAIN(TstParameterWidgets)
#include "tst_parameterwidgets.moc"
