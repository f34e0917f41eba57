#include "TestEnvironment.h"

#include "standin/testing.h"
#include "velmor.h"

#include <set>

class TstRegistry : public QObject {
    Q_OBJECT

private slots:
    // A handle kept after its project closed stays invalid, however many projects follow.
    void closedHandleNeverComesBack()
    {
        standin::testing::vReset();
        CW_Instance closed = standin::testing::pCreateProject();
        QVERIFY(bIsValidInstance(closed));
        vCloseProject(closed);
        QVERIFY(!bIsValidInstance(closed));

        std::set<CW_Instance> later;
        for (int i = 0; i < 64; ++i) {
            CW_Instance project = standin::testing::pCreateProject();
            QVERIFY(project != closed);
            later.insert(project);
            if (i % 2 == 0)
                vCloseProject(project);
        }
        QCOMPARE(int(later.size()), 64);
        QVERIFY(!bIsValidInstance(closed));

        standin::testing::vReset();
        QVERIFY(!bIsValidInstance(closed));
        QVERIFY(standin::testing::pCreateProject() != closed);
    }
};

PLINTRA_TEST_MAIN(TstRegistry)
#include "tst_registry.moc"
