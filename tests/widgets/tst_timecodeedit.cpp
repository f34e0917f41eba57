#include "TestEnvironment.h"

#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKLineEditTimeCode.h"
#include "widgets/CWKTimeCodeParser.h"
#include "widgets/CWKTimeCodeValidator.h"

#include <QSignalSpy>

namespace {
// A project whose main clip has the given timing, made the program's project.
CW_Instance pTstOpenClip(float rate, int fieldMode, int first, unsigned int count, bool timecode, int offset = 0)
{
    const CW_Instance project = standin::testing::pCreateProject();
    CW_BaseClipInfo clip;
    clip.fFrameRate = rate;
    clip.iFieldMode = fieldMode;
    clip.iFirstIndex = first;
    clip.uiCount = count;
    clip.iFrameOffset = offset;
    standin::testing::vRegisterClip(project, 1, clip);
    standin::testing::vSetUseTimeCode(project, timecode);
    ProjectManagerInstance::instance()->setInstance(project);
    return project;
}

int iTstParse(const QString& text, int fps, int fieldMode, bool fieldLetter = true)
{
    QLineEdit edit(text);
    const bool interlaced = fieldMode == CW_UPPER_FIELD_FIRST || fieldMode == CW_LOWER_FIELD_FIRST;
    const int parsed = iParseTimecodeEdit(&edit, fps, interlaced, fieldLetter, fieldMode == CW_UPPER_FIELD_FIRST,
        fieldMode == CW_LOWER_FIELD_FIRST, 0, 100);
    return edit.text() == text ? parsed : -999999;
}
} // namespace

class TstTimeCodeEdit : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
    }

    void parsingReadsFramesFieldsAndTimeCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<bool>("fieldLetter");
        QTest::addColumn<int>("expected");
        const int upper = CW_UPPER_FIELD_FIRST, lower = CW_LOWER_FIELD_FIRST, progressive = CW_PROGRESSIVE;
        QTest::newRow("upper first, U") << "12:U" << 25 << upper << true << 24;
        QTest::newRow("upper first, L") << "12:L" << 25 << upper << true << 25;
        QTest::newRow("lower first, L") << "12:L" << 25 << lower << true << 24;
        QTest::newRow("lower first, U") << "12:U" << 25 << lower << true << 25;
        QTest::newRow("no letter reads as upper") << "12" << 25 << upper << true << 24;
        QTest::newRow("comma reads as upper") << "12:," << 25 << lower << true << 25;
        QTest::newRow("one hour at 25") << "01:00:00:00" << 25 << progressive << true << 90000;
        QTest::newRow("a second and five") << "00:00:01:05" << 25 << progressive << true << 30;
        QTest::newRow("fields, lower letter") << "00:00:01:05:L" << 25 << upper << true << 61;
        QTest::newRow("fields counted without letters") << "00:00:01:05" << 25 << upper << false << 55;
        QTest::newRow("read by columns") << "1:2:3:4" << 25 << progressive << true << 905500;
        QTest::newRow("missing frames") << "01:02:03" << 25 << progressive << true << 93075;
        QTest::newRow("frame number in time-code form") << "12:U" << 30 << upper << true << 24;
        QTest::newRow("not clamped") << "99999" << 25 << progressive << true << 99999;
        QTest::newRow("seven digits") << "1234567" << 25 << progressive << true << 1234567;
        QTest::newRow("at 29.97 counted as 30") << "00:00:10:00" << iRoundAbs(29.97f) << progressive << true << 300;
    }

    void parsingReadsFramesFieldsAndTimeCodes()
    {
        QFETCH(QString, text);
        QFETCH(int, fps);
        QFETCH(int, fieldMode);
        QFETCH(bool, fieldLetter);
        QFETCH(int, expected);
        QCOMPARE(iTstParse(text, fps, fieldMode, fieldLetter), expected);
    }

    // The fields show frames counted from 0 plus the frame offset, or as time code without
    // it, whatever the clip's first file number; the correction keeps the text to those.
    void correctionRepairsClampsAndReformats_data()
    {
        QTest::addColumn<float>("rate");
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<bool>("timecode");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const int upper = CW_UPPER_FIELD_FIRST, lower = CW_LOWER_FIELD_FIRST, progressive = CW_PROGRESSIVE;
        QTest::newRow("frame above the range") << 25.f << progressive << false << 0 << 0 << 100 << "150"
                                               << "99";
        QTest::newRow("frame below the offset") << 25.f << progressive << false << 0 << 10 << 100 << "5"
                                                << "10";
        QTest::newRow("last frame from the offset") << 25.f << progressive << false << 0 << 10 << 100 << "200"
                                                    << "109";
        QTest::newRow("files from 1001, offset 1: a shown frame stays")
            << 25.f << progressive << false << 1001 << 1 << 24 << "5"
            << "5";
        QTest::newRow("files from 1001, offset 1: below the first shown")
            << 25.f << progressive << false << 1001 << 1 << 24 << "0"
            << "1";
        QTest::newRow("files from 1001, offset 1: beyond the last shown")
            << 25.f << progressive << false << 1001 << 1 << 24 << "1024"
            << "24";
        QTest::newRow("not a number") << 25.f << progressive << false << 1001 << 1 << 24 << "x"
                                      << "1";
        QTest::newRow("field letter added") << 25.f << upper << false << 0 << 0 << 100 << "12"
                                            << "12:U";
        QTest::newRow("lower first keeps U odd") << 25.f << lower << false << 0 << 0 << 100 << "12:U"
                                                 << "12:U";
        QTest::newRow("lower first, L") << 25.f << lower << false << 0 << 0 << 100 << "12:l"
                                        << "12:L";
        QTest::newRow("fields clamp to the last") << 25.f << upper << false << 0 << 0 << 100 << "70:U"
                                                  << "49:L";
        QTest::newRow("fields with an odd offset keep the typed field")
            << 25.f << upper << false << 1001 << 3 << 48 << "20:L"
            << "20:L";
        QTest::newRow("fields, lower first, offset 2") << 25.f << lower << false << 1001 << 2 << 48 << "7:U"
                                                       << "7:U";
        QTest::newRow("fields with an offset clamp to the last shown")
            << 25.f << upper << false << 1001 << 2 << 48 << "30:U"
            << "24:L";
        QTest::newRow("time code stays") << 25.f << progressive << true << 0 << 0 << 100 << "00:00:01:05"
                                         << "00:00:01:05";
        QTest::newRow("time code, files from 1: the first frame")
            << 25.f << progressive << true << 1 << 1 << 100 << "00:00:00:00"
            << "00:00:00:00";
        QTest::newRow("time code carries no offset")
            << 25.f << progressive << true << 1001 << 100 << 100 << "00:00:04:00"
            << "00:00:03:24";
        QTest::newRow("time code fields, files from 1001")
            << 25.f << upper << true << 1001 << 2 << 100 << "00:00:00:00:U"
            << "00:00:00:00:U";
        QTest::newRow("time code by columns") << 25.f << progressive << true << 0 << 0 << 2000000 << "1:2:3:4"
                                              << "10:03:40:00";
        QTest::newRow("time code clamped") << 25.f << progressive << true << 0 << 0 << 100 << "00:00:10:00"
                                           << "00:00:03:24";
        QTest::newRow("time code gains a field") << 25.f << upper << true << 0 << 0 << 200 << "00:00:01:05"
                                                 << "00:00:01:05:U";
        QTest::newRow("time code at 29.97") << 29.97f << progressive << true << 0 << 0 << 1000 << "00:00:10:00"
                                            << "00:00:10:00";
        QTest::newRow("time code at 59.94, lower first")
            << 59.94f << lower << true << 0 << 0 << 10000 << "00:00:10:30:U"
            << "00:00:10:30:U";
        QTest::newRow("long frame number") << 25.f << progressive << false << 0 << 0 << 2000000 << "1234567"
                                           << "1234567";
    }

    void correctionRepairsClampsAndReformats()
    {
        QFETCH(float, rate);
        QFETCH(int, fieldMode);
        QFETCH(bool, timecode);
        QFETCH(int, first);
        QFETCH(int, offset);
        QFETCH(int, count);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        pTstOpenClip(rate, fieldMode, first, unsigned(count), timecode, offset);
        CWKTimeCodeValidator validator;
        QString corrected = text;
        validator.fixup(corrected);
        QCOMPARE(corrected, expected);
        int position = 0;
        QCOMPARE(validator.validate(corrected, position), QValidator::Acceptable);
    }

    // Every frame of the clip, shown as the main window shows it, passes the correction
    // unchanged and reads back as that frame once the offset is taken off.
    void everyShownFrameIsKeptAndReadBack_data()
    {
        QTest::addColumn<float>("rate");
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<bool>("timecode");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("count");
        const int upper = CW_UPPER_FIELD_FIRST, lower = CW_LOWER_FIELD_FIRST, progressive = CW_PROGRESSIVE;
        QTest::newRow("files from 1001, offset 1") << 25.f << progressive << false << 1001 << 1 << 24;
        QTest::newRow("files from 1, no offset") << 25.f << progressive << false << 1 << 0 << 50;
        QTest::newRow("offset of an hour") << 25.f << progressive << false << 0 << 90000 << 30;
        QTest::newRow("fields, upper first, offset 2") << 25.f << upper << false << 1001 << 2 << 48;
        QTest::newRow("fields, upper first, odd offset") << 25.f << upper << false << 1001 << 3 << 48;
        QTest::newRow("fields, lower first, offset 1") << 25.f << lower << false << 7 << 1 << 40;
        QTest::newRow("time code, files from 1") << 25.f << progressive << true << 1 << 1 << 100;
        QTest::newRow("time code fields, files from 1001") << 29.97f << upper << true << 1001 << 2 << 140;
    }

    void everyShownFrameIsKeptAndReadBack()
    {
        QFETCH(float, rate);
        QFETCH(int, fieldMode);
        QFETCH(bool, timecode);
        QFETCH(int, first);
        QFETCH(int, offset);
        QFETCH(int, count);
        pTstOpenClip(rate, fieldMode, first, unsigned(count), timecode, offset);
        const bool interlaced = fieldMode != CW_PROGRESSIVE;
        const bool lowerFirst = fieldMode == CW_LOWER_FIELD_FIRST;
        const int shownOffset = timecode ? 0 : offset;
        CWKTimeCodeValidator validator;
        QLineEdit edit;
        for (int frame = 0; frame < count; ++frame) {
            QString text = qstrGetFrameDisplayString(frame, rate, timecode, interlaced, lowerFirst, true, shownOffset);
            const QString shown = text;
            validator.fixup(text);
            QCOMPARE(text, shown);
            int position = 0;
            QCOMPARE(validator.validate(text, position), QValidator::Acceptable);
            edit.setText(text);
            QCOMPARE(iParseTimecodeEdit(&edit, iRoundAbs(rate), interlaced, true, fieldMode == CW_UPPER_FIELD_FIRST,
                         lowerFirst, first, count)
                    - shownOffset,
                frame);
        }
    }

    void theTypedFrameIsTheFrameLandedOn_data()
    {
        QTest::addColumn<float>("rate");
        QTest::addColumn<int>("fieldMode");
        for (float rate : {23.976f, 29.97f, 59.94f, 25.0f}) {
            for (int mode : {int(CW_PROGRESSIVE), int(CW_UPPER_FIELD_FIRST), int(CW_LOWER_FIELD_FIRST)})
                QTest::addRow("%.3f fps, field mode %d", double(rate), mode) << rate << mode;
        }
    }

    void theTypedFrameIsTheFrameLandedOn()
    {
        QFETCH(float, rate);
        QFETCH(int, fieldMode);
        const unsigned int count = 20000;
        pTstOpenClip(rate, fieldMode, 0, count, true);
        const bool interlaced = fieldMode != CW_PROGRESSIVE;
        const bool lowerFirst = fieldMode == CW_LOWER_FIELD_FIRST;
        CWKTimeCodeValidator validator;
        QLineEdit edit;
        for (int frame = 0; frame < int(count); frame += 37) {
            QString text = qstrGetFrameDisplayString(frame, rate, true, interlaced, lowerFirst, true, 0);
            const QString shown = text;
            validator.fixup(text);
            QCOMPARE(text, shown);
            edit.setText(text);
            QCOMPARE(iParseTimecodeEdit(&edit, iRoundAbs(rate), interlaced, true, fieldMode == CW_UPPER_FIELD_FIRST,
                         lowerFirst, 0, int(count)),
                frame);
        }
    }

    void patternsFollowTheProject()
    {
        CWKLineEditTimeCode edit;
        auto accepts = [&edit](QString text) {
            int position = 0;
            return edit.pGetValidator()->validate(text, position) == QValidator::Acceptable;
        };
        const CW_Instance project = pTstOpenClip(25.f, CW_PROGRESSIVE, 0, 100, false);
        edit.vUpdateRegExp(project);
        QVERIFY(accepts(QStringLiteral("15")));
        QVERIFY(accepts(QStringLiteral("99999")));
        QVERIFY(!accepts(QStringLiteral("123456")));
        QVERIFY(!accepts(QStringLiteral("00:00:01:05")));

        standin::testing::vSetUseTimeCode(project, true);
        edit.vUpdateRegExp(project);
        QVERIFY(accepts(QStringLiteral("00:00:01:05")));
        QVERIFY(!accepts(QStringLiteral("15")));

        const CW_Instance fields = pTstOpenClip(25.f, CW_LOWER_FIELD_FIRST, 0, 3000000, false);
        edit.vUpdateRegExp(fields);
        QVERIFY(accepts(QStringLiteral("1234567:L")));
        QVERIFY(!accepts(QStringLiteral("1234567")));
        // A null project keeps the pattern.
        edit.vUpdateRegExp(nullptr);
        QVERIFY(accepts(QStringLiteral("12:u")));
    }

    void withoutAProjectTheTextStaysAsTyped()
    {
        CWKTimeCodeValidator validator;
        QString text = QStringLiteral("1:2");
        validator.fixup(text);
        QCOMPARE(text, QStringLiteral("1:2"));
    }

    void onlyTypingCommitsAndOnlyOnce()
    {
        const CW_Instance project = pTstOpenClip(25.f, CW_PROGRESSIVE, 0, 100, false);
        QWidget window;
        auto* edit = new CWKLineEditTimeCode(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        edit->vUpdateRegExp(project);
        edit->setText(QStringLiteral("5"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy changed(edit, &CWKLineEditTimeCode::valueChanged);

        edit->setFocus();
        other->setFocus();
        QCOMPARE(changed.count(), 0);

        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("00"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(edit->text(), QStringLiteral("99"));
        other->setFocus();
        QCOMPARE(changed.count(), 1);

        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Backspace);
        other->setFocus();
        QCOMPARE(changed.count(), 2);
        QCOMPARE(edit->text(), QStringLiteral("9"));
    }
};

PLINTRA_TEST_MAIN(TstTimeCodeEdit)
#include "tst_timecodeedit.moc"
