#include "campaigns/ReplyReader.h"

#include "platform/AppError.h"

ReplyReader::ReplyReader(const MailboxSettings& settings, QString folder)
    : m_mailbox(settings), m_folder(std::move(folder))
{
    m_mailbox.setStopFlag(&m_stop);
}

template <class Work>
void ReplyReader::attempt(Work&& work)
{
    if (m_failed)
        return;
    try {
        if (m_stop)
            throw AppError(MailboxErrors::Stopped, QStringLiteral("ReplyReader"), QStringLiteral("Stopped"));
        work();
    } catch (const AppError& e) {
        m_failed = true;
        emit failed(e.number(), e.description());
    }
}

void ReplyReader::read()
{
    attempt([this] {
        ImapMailbox::quotedFolder(m_folder); // a folder the server cannot be given stops the work before it starts
        m_mailbox.open();
        const QList<ImapMailbox::Entry> entries = m_mailbox.list();
        emit progressed(0, int(entries.size()));
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (m_stop)
                throw AppError(MailboxErrors::Stopped, QStringLiteral("ReplyReader"), QStringLiteral("Stopped"));
            // Most of the mailbox is other mail: its header is enough to leave it alone.
            if (mayBeReply(m_mailbox.fetchHeader(entries.at(i)))) {
                const MailReply reply = readReply(m_mailbox.fetch(entries.at(i)));
                if (reply.kind != ReplyKind::Other)
                    emit recognised(entries.at(i).uid, reply);
            }
            emit progressed(int(i + 1), int(entries.size()));
        }
        emit readAll(int(entries.size()));
    });
}

void ReplyReader::file(qint64 uid)
{
    attempt([&] {
        if (!m_folderReady)
            m_mailbox.ensureFolder(m_folder);
        m_folderReady = true;
        m_mailbox.move(uid, m_folder);
    });
}

void ReplyReader::finish() { emit finished(); }
