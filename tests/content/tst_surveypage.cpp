// The survey page written by "Survey Script".
#include "content/SurveyPage.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::array<QString, 10> sampleQuestions()
{
    std::array<QString, 10> q;
    for (int i = 0; i < 10; ++i)
        q[std::size_t(i)] = QStringLiteral("How do you rate item %1?").arg(i + 1);
    q[6].clear(); // an empty question still gets its row
    return q;
}
}

class TestSurveyPage : public QObject {
    Q_OBJECT

private slots:
    void writesTheQuestionnaire();
    void rewritesTheSamePage();
    void reportsAnUnwritableFile();
};

void TestSurveyPage::writesTheQuestionnaire()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Temp01.Htm"));
    const auto questions = sampleQuestions();
    QVERIFY(SurveyPage::write(path, QStringLiteral("Service survey 2024 \u00e9t\u00e9"),
                              QStringLiteral("Please tell us & rate."), questions));

    QString expected = QStringLiteral(
        "<Html>\r\n<Body>\r\n<Form Action='Mailto:survey@example.com' Method='Post'>\r\n"
        "<Table Border='0' Width='800' Align='Center' Style='Font-family:Trebuchet MS; Font-size:8pt; Color=#000080'>\r\n"
        "<tr><td width='800' colspan='2' align='Center' bgcolor='#BBBBFF'>\r\n"
        "<b>SERVICE SURVEY 2024 \u00c9T\u00c9</b></td></tr>\r\n"
        "<tr><td width='800' colspan='2' align='Center'>\r\n"
        "Please tell us & rate.<br>\r\n"
        "[Rating: 1-Low; 10-High]<br>&nbsp</td></tr>\r\n");
    for (int q = 1; q <= 10; ++q) {
        expected += QStringLiteral("<tr><td width='400'>\r\n<b>") + questions[std::size_t(q - 1)]
                    + QStringLiteral("</b><br></td>\r\n<td width='400'>\r\n");
        for (int a = 1; a <= 10; ++a)
            expected += QString::number(a) + QStringLiteral("<Input Type='Radio' Value='A") + QString::number(a + 10 * q)
                        + QStringLiteral("' Name='Q") + QString::number(q) + QStringLiteral("'>&nbsp&nbsp\r\n");
        expected += QStringLiteral("<br>&nbsp</td></tr>\r\n");
    }
    expected += QStringLiteral("<tr><td width='800' colspan='2' align='Center'>\r\n"
                               "<br><Input Type='Submit' Value='Submit' Name='S1'>\r\n"
                               "</td></tr></Table>\r\n</Body></Html>\r\n");
    const QByteArray written = readAll(path);
    QCOMPARE(QString::fromUtf8(written), expected);

    // 100 radios in ten groups; the last is A110 in Q10; question 7 is empty but present.
    const QString page = QString::fromUtf8(written);
    QCOMPARE(page.count(QStringLiteral("<Input Type='Radio'")), 100);
    QCOMPARE(page.count(QStringLiteral("<tr><td width='400'>")), 10);
    for (int q = 1; q <= 10; ++q)
        QCOMPARE(page.count(QStringLiteral("Name='Q%1'>").arg(q)), 10);
    QVERIFY(page.contains(QStringLiteral("\r\n10<Input Type='Radio' Value='A110' Name='Q10'>&nbsp&nbsp\r\n<br>&nbsp")));
    QVERIFY(page.contains(QStringLiteral("\r\n1<Input Type='Radio' Value='A11' Name='Q1'>")));
    QVERIFY(page.contains(QStringLiteral("\r\n<b></b><br></td>\r\n")));
    QVERIFY(!page.contains(QStringLiteral("</Form>")));
    // Every line ends in CR LF, and there is no bare LF.
    QCOMPARE(written.count("\n"), written.count("\r\n"));
    QVERIFY(written.endsWith("</Body></Html>\r\n"));
}

void TestSurveyPage::rewritesTheSamePage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Temp01.Htm"));
    const auto questions = sampleQuestions();
    std::array<QString, 10> longer = questions;
    longer[0] = QString(200, QLatin1Char('x'));

    QVERIFY(SurveyPage::write(path, QStringLiteral("n"), QStringLiteral("m"), longer));
    QVERIFY(SurveyPage::write(path, QStringLiteral("n"), QStringLiteral("m"), questions));
    const QByteArray first = readAll(path);
    QVERIFY(!first.contains("xxxx"));
    QVERIFY(SurveyPage::write(path, QStringLiteral("n"), QStringLiteral("m"), questions));
    QCOMPARE(readAll(path), first);
}

void TestSurveyPage::reportsAnUnwritableFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("NoDocs/Temp01.Htm"));
    QVERIFY(!SurveyPage::write(path, QStringLiteral("n"), QStringLiteral("m"), sampleQuestions()));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("NoDocs"))));
}

QTEST_MAIN(TestSurveyPage)
#include "tst_surveypage.moc"
