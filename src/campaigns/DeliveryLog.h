#pragma once
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

// The record of one campaign run: Docs/Sent/<date-time>-<screen>-<id>.log, one line per
// recipient with the address, the time and "sent" or why it was not. Each line is on disk
// as soon as it is written.
class DeliveryLog {
public:
    // folder: the DataFolder's Docs/Sent; the file is created at once.
    DeliveryLog(const QString& folder, const QString& screen, const QString& campaignId, const QDateTime& started);

    enum class Outcome { Sent, Failed, Skipped };
    struct Entry {
        QString address;
        QDateTime when;
        QString outcome; // as written: "sent", "failed: <why>", "not sent: <why>", "skipped: <why>"
        Outcome kind() const;
    };

    // The addresses that the earlier logs of this screen's campaign record as sent.
    static QStringList sentAddresses(const QString& folder, const QString& screen, const QString& campaignId);
    // The lines of the newest log of this screen's campaign; empty when it has none.
    static QList<Entry> lastRun(const QString& folder, const QString& screen, const QString& campaignId);

    void write(const QString& address, const QDateTime& when, const QString& outcome);

private:
    static QStringList logFiles(const QString& folder, const QString& screen, const QString& campaignId);
    static QList<Entry> read(const QString& fileName);

    QFile m_file;
};
