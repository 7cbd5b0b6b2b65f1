#include "campaigns/DeliveryLog.h"

#include "platform/OneLine.h"

#include <QDir>
#include <QTextStream>

#include <algorithm>

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

DeliveryLog::Outcome DeliveryLog::Entry::kind() const
{
    if (outcome == QLatin1String("sent"))
        return Outcome::Sent;
    if (outcome.startsWith(QLatin1String("skipped:")))
        return Outcome::Skipped;
    return Outcome::Failed; // "failed: ..." and "not sent: ..."
}

// Oldest first: by the start time in the name, then by the number two runs in one second add.
QStringList DeliveryLog::logFiles(const QString& folder, const QString& screen, const QString& campaignId)
{
    const QString name = campaignName(screen, campaignId);
    const QDir dir(folder);
    QStringList files = dir.entryList({QStringLiteral("*-") + name + QStringLiteral(".log"),
                                       QStringLiteral("*-") + name + QStringLiteral("-*.log")},
                                      QDir::Files);
    const auto order = [&name](const QString& file) {
        const qsizetype end = file.indexOf(name) + name.size();
        return std::pair(file.left(end), file.mid(end).chopped(4).mid(1).toInt()); // "-2.log": 2, ".log": 0
    };
    std::sort(files.begin(), files.end(), [&order](const QString& a, const QString& b) { return order(a) < order(b); });
    for (QString& file : files)
        file = dir.filePath(file);
    return files;
}

QList<DeliveryLog::Entry> DeliveryLog::read(const QString& fileName)
{
    QList<Entry> entries;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    QTextStream in(&file);
    for (QString line; in.readLineInto(&line);) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 3)
            entries.append({fields.at(0), QDateTime::fromString(fields.at(1), Qt::ISODate), fields.at(2)});
    }
    return entries;
}

QStringList DeliveryLog::sentAddresses(const QString& folder, const QString& screen, const QString& campaignId)
{
    QStringList sent;
    for (const QString& log : logFiles(folder, screen, campaignId))
        for (const Entry& entry : read(log))
            if (entry.kind() == Outcome::Sent)
                sent << entry.address;
    return sent;
}

QList<DeliveryLog::Entry> DeliveryLog::lastRun(const QString& folder, const QString& screen, const QString& campaignId)
{
    const QStringList logs = logFiles(folder, screen, campaignId);
    return logs.isEmpty() ? QList<Entry>() : read(logs.last());
}
