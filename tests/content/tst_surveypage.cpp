// The survey page written by "Survey Script".
#include "content/SurveyPage.h"

#include <QFile>
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
    q[2] = QStringLiteral("Speed < price?");
    q[6].clear(); // an empty question still gets its row
    return q;
}
}

class TestSurveyPage : public QObject {
    Q_OBJECT

private slots:
    void writesTheQuestionnaire();
    void reportsAnUnwritableFile();
};

void TestSurveyPage::writesTheQuestionnaire()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Temp01.Htm"));
    const auto questions = sampleQuestions();
    const QString name = QStringLiteral("Service survey 2024 \u00e9t\u00e9");
    const QString message = QStringLiteral("Please tell us & rate <b>honestly</b>.");
    QVERIFY(SurveyPage::write(path, name, message, questions));

    QString expected = QStringLiteral(
        "<Html>\r\n<Head><Meta Charset='UTF-8'></Head>\r\n<Body>\r\n<Form Action='Mailto:survey@example.com' Method='Post'>\r\n"
        "<Table Border='0' Width='800' Align='Center' Style='Font-family:Trebuchet MS; Font-size:8pt; Color=#000080'>\r\n"
        "<tr><td width='800' colspan='2' align='Center' bgcolor='#BBBBFF'>\r\n"
        "<b>SERVICE SURVEY 2024 \u00c9T\u00c9</b></td></tr>\r\n"
        "<tr><td width='800' colspan='2' align='Center'>\r\n"
        "Please tell us &amp; rate &lt;b&gt;honestly&lt;/b&gt;.<br>\r\n"
        "[Rating: 1-Low; 10-High]<br>&nbsp</td></tr>\r\n");
    for (int q = 1; q <= 10; ++q) {
        expected += QStringLiteral("<tr><td width='400'>\r\n<b>") + questions[std::size_t(q - 1)].toHtmlEscaped()
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

    // Writing again over a longer page leaves exactly the same file.
    std::array<QString, 10> longer = questions;
    longer[0] = QString(200, QLatin1Char('x'));
    QVERIFY(SurveyPage::write(path, QStringLiteral("n"), QStringLiteral("m"), longer));
    QVERIFY(SurveyPage::write(path, name, message, questions));
    QCOMPARE(readAll(path), written);
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
