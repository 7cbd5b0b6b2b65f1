#include "reports/ReportLayout.h"

#include "platform/AppError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString kSource = QStringLiteral("ReportLayout");

[[noreturn]] void invalid(const QString& source, const QString& why)
{
    throw AppError(ReportErrors::BadLayout, kSource, QStringLiteral("%1 is not a valid report layout: %2").arg(source, why));
}

QStringList strings(const QJsonValue& value)
{
    QStringList out;
    for (const QJsonValue& v : value.toArray())
        out << v.toString();
    return out;
}

ReportLayout::Column column(const QJsonObject& o)
{
    ReportLayout::Column c;
    c.field = o.value(QLatin1String("field")).toString();
    c.heading = o.value(QLatin1String("heading")).toString();
    c.width = o.value(QLatin1String("width")).toDouble(c.width);
    c.align = o.value(QLatin1String("align")).toString() == QLatin1String("right") ? ReportLayout::Align::Right
                                                                                  : ReportLayout::Align::Left;
    return c;
}

QVector<ReportLayout::Column> columnList(const QJsonValue& value)
{
    QVector<ReportLayout::Column> out;
    for (const QJsonValue& v : value.toArray())
        out << column(v.toObject());
    return out;
}

ReportLayout::LabelSheet sheet(const QJsonObject& o, ReportLayout::LabelSheet s)
{
    s.across = o.value(QLatin1String("across")).toInt(s.across);
    s.down = o.value(QLatin1String("down")).toInt(s.down);
    s.width = o.value(QLatin1String("width")).toDouble(s.width);
    s.height = o.value(QLatin1String("height")).toDouble(s.height);
    s.left = o.value(QLatin1String("left")).toDouble(s.left);
    s.top = o.value(QLatin1String("top")).toDouble(s.top);
    s.gap = o.value(QLatin1String("gap")).toDouble(s.gap);
    return s;
}

ReportLayout::Body bodyNamed(const QString& name, const QString& source)
{
    static const struct { const char* name; ReportLayout::Body body; } kinds[] = {
        {"list", ReportLayout::Body::List},         {"labels", ReportLayout::Body::Labels},
        {"document", ReportLayout::Body::Document}, {"summary", ReportLayout::Body::Summary},
        {"ratings", ReportLayout::Body::Ratings},
    };
    for (const auto& k : kinds)
        if (name == QLatin1String(k.name))
            return k.body;
    invalid(source, QStringLiteral("unknown body \"%1\"").arg(name));
}
}

ReportLayout ReportLayout::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(ReportErrors::LayoutNotFound, kSource, QStringLiteral("Invalid file name: %1").arg(path));
    return parse(file.readAll(), path);
}

ReportLayout ReportLayout::parse(const QByteArray& text, const QString& source)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (!doc.isObject())
        invalid(source, error.errorString());
    const QJsonObject o = doc.object();

    ReportLayout l;
    l.title = o.value(QLatin1String("title")).toString();
    if (l.title.isEmpty())
        invalid(source, QStringLiteral("no title"));
    l.orientation = o.value(QLatin1String("orientation")).toString() == QLatin1String("landscape")
        ? QPageLayout::Landscape
        : QPageLayout::Portrait;
    l.tables = strings(o.value(QLatin1String("tables")));
    l.formulas = strings(o.value(QLatin1String("formulas")));
    l.body = bodyNamed(o.value(QLatin1String("body")).toString(), source);

    l.columns = columnList(o.value(QLatin1String("columns")));
    l.countTotal = o.value(QLatin1String("total")).toString() == QLatin1String("count");

    const QJsonObject labels = o.value(QLatin1String("labels")).toObject();
    l.labelLines = strings(labels.value(QLatin1String("lines")));
    l.a4Sheet = sheet(labels.value(QLatin1String("A4")).toObject(), l.a4Sheet);
    l.letterSheet = sheet(labels.value(QLatin1String("Letter")).toObject(),
                          LabelSheet{3, 10, 66.7, 25.4, 4.8, 12.7, 3.2});

    l.fields = columnList(o.value(QLatin1String("fields")));
    for (const QJsonValue& v : o.value(QLatin1String("sections")).toArray()) {
        const QJsonObject s = v.toObject();
        Section section;
        section.heading = s.value(QLatin1String("heading")).toString();
        section.field = s.value(QLatin1String("field")).toString();
        section.repeat = s.value(QLatin1String("repeat")).toInt();
        section.format = s.value(QLatin1String("format")).toString() == QLatin1String("html") ? TextFormat::Html
                                                                                              : TextFormat::Plain;
        l.sections << section;
    }

    l.label = column(o.value(QLatin1String("label")).toObject());
    l.count = column(o.value(QLatin1String("count")).toObject());

    const QJsonObject ratings = o.value(QLatin1String("ratings")).toObject();
    l.surveyName = ratings.value(QLatin1String("name")).toString();
    l.question = ratings.value(QLatin1String("question")).toString();
    l.answer = ratings.value(QLatin1String("answer")).toString();
    l.questionCount = ratings.value(QLatin1String("questions")).toInt(l.questionCount);

    const bool complete = (l.body == Body::List && !l.columns.isEmpty())
        || (l.body == Body::Labels && !l.labelLines.isEmpty())
        || (l.body == Body::Document && !(l.fields.isEmpty() && l.sections.isEmpty()))
        || (l.body == Body::Summary && !l.label.field.isEmpty() && !l.count.field.isEmpty())
        || (l.body == Body::Ratings && !l.question.isEmpty() && !l.answer.isEmpty());
    if (!complete)
        invalid(source, QStringLiteral("the body names no fields"));
    return l;
}
