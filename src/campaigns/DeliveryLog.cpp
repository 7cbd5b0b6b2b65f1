#include "campaigns/DeliveryLog.h"

#include "platform/OneLine.h"

#include <QDir>
#include <QTextStream>

namespace {
QString campaignName(const QString& screen, const QString& campaignId)
{
    return screen + QLatin1Char('-') + (campaignId.trimmed().isEmpty() ? QStringLiteral("new") : campaignId.trimmed());
}
}

DeliveryLog::DeliveryLog(const QString& folder, const QString& screen, const QString& campaignId, const QDateTime& started)
{
    QDir().mkpath(folder);
    const QString stem = folder + QLatin1Char('/') + started.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-')
                         + campaignName(screen, campaignId);
    // Two runs of one campaign in the same second keep separate logs.
    QString name = stem + QStringLiteral(".log");
    for (int n = 2; QFile::exists(name); ++n)
        name = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".log");
    m_file.setFileName(name);
    m_file.open(QIODevice::WriteOnly | QIODevice::Text);
}

void DeliveryLog::write(const QString& address, const QDateTime& when, const QString& outcome)
{
    if (!m_file.isOpen())
        return;
    // Each field on one line and free of tabs, whatever the customer's data holds.
    const QString line = oneLine(address) + QLatin1Char('\t') + when.toString(Qt::ISODate) + QLatin1Char('\t') + oneLine(outcome);
    m_file.write(line.toUtf8() + '\n');
    m_file.flush();
}

QStringList DeliveryLog::sentAddresses(const QString& folder, const QString& screen, const QString& campaignId)
{
    const QString name = campaignName(screen, campaignId);
    QStringList sent;
    const QDir dir(folder);
    for (const QString& log : dir.entryList({QStringLiteral("*-") + name + QStringLiteral(".log"),
                                             QStringLiteral("*-") + name + QStringLiteral("-*.log")},
                                            QDir::Files)) {
        QFile file(dir.filePath(log));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&file);
        for (QString line; in.readLineInto(&line);) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() == 3 && fields.at(2) == QLatin1String("sent"))
                sent << fields.at(0);
        }
    }
    return sent;
}
