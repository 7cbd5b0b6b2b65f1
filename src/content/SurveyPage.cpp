#include "content/SurveyPage.h"

#include "platform/MailPictures.h"

#include <QRegularExpression>
#include <QSaveFile>

namespace {
// The message escaped for HTML, but for its pictures that have a file.
QString messageHtml(const QString& message, const QHash<QString, QString>& pictureFiles)
{
    static const QRegularExpression image(QStringLiteral("<img\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    for (auto it = image.globalMatch(message); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QStringList ids = MailPictures::contentIds(m.captured());
        if (ids.size() != 1 || !pictureFiles.contains(ids.first()))
            continue;
        out += message.mid(last, m.capturedStart() - last).toHtmlEscaped();
        out += QStringLiteral("<img src='%1' alt=''>").arg(pictureFiles.value(ids.first()).toHtmlEscaped());
        last = m.capturedEnd();
    }
    return out + message.mid(last).toHtmlEscaped();
}
}

namespace SurveyPage {

QStringList lines(const QString& name, const QString& message, const std::array<QString, 10>& questions,
                  const QHash<QString, QString>& pictureFiles)
{
    QStringList out;
    // The page is written in UTF-8 and says so; the survey's own texts are escaped for HTML.
    out << QStringLiteral("<Html>") << QStringLiteral("<Head><Meta Charset='UTF-8'></Head>") << QStringLiteral("<Body>")
        << QStringLiteral("<Form Action='Mailto:%1' Method='Post'>").arg(QLatin1String(FormAddress))
        << QStringLiteral("<Table Border='0' Width='800' Align='Center' "
                          "Style='Font-family:Trebuchet MS; Font-size:8pt; Color=#000080'>")
        << QStringLiteral("<tr><td width='800' colspan='2' align='Center' bgcolor='#BBBBFF'>")
        << QStringLiteral("<b>") + name.toUpper().toHtmlEscaped() + QStringLiteral("</b></td></tr>")
        << QStringLiteral("<tr><td width='800' colspan='2' align='Center'>")
        << messageHtml(message, pictureFiles) + QStringLiteral("<br>")
        << QStringLiteral("[Rating: 1-Low; 10-High]<br>&nbsp</td></tr>");
    // Always ten questions, empty ones included.
    for (int q = 1; q <= 10; ++q) {
        out << QStringLiteral("<tr><td width='400'>")
            << QStringLiteral("<b>") + questions[std::size_t(q - 1)].toHtmlEscaped() + QStringLiteral("</b><br></td>")
            << QStringLiteral("<td width='400'>");
        for (int a = 1; a <= 10; ++a)
            out << QStringLiteral("%1<Input Type='Radio' Value='A%2' Name='Q%3'>&nbsp&nbsp").arg(a).arg(a + 10 * q).arg(q);
        out << QStringLiteral("<br>&nbsp</td></tr>");
    }
    out << QStringLiteral("<tr><td width='800' colspan='2' align='Center'>")
        << QStringLiteral("<br><Input Type='Submit' Value='Submit' Name='S1'>")
        << QStringLiteral("</td></tr></Table>") << QStringLiteral("</Body></Html>");
    return out;
}

bool write(const QString& path, const QString& name, const QString& message,
           const std::array<QString, 10>& questions, const QHash<QString, QString>& pictureFiles)
{
    QByteArray data;
    for (const QString& line : lines(name, message, questions, pictureFiles)) {
        data += line.toUtf8();
        data += "\r\n";
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}

}
