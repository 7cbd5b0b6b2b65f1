#include "shell/KKOption.h"

#include "platform/AppError.h"
#include "base/ProgramState.h"
#include "base/Messages.h"
#include "base/ArchiveNames.h"
#include "base/Look.h"
#include "base/Program.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kSource = QStringLiteral("KKOption");

void deleteOldArchives()
{
    const QDate today = state().clock.today();
    for (int d = 7; d <= 13; ++d)
        for (const QString& path : {ArchiveNames::archivePath(today.addDays(-d)),
                                    ArchiveNames::serverArchivePath(today.addDays(-d))}) {
            if (!QFileInfo::exists(path))
                continue;
            Guard([&] {
                QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
                QFile file(path);
                if (!file.remove())
                    throw AppError(75, kSource, QStringLiteral("Cannot delete %1: %2").arg(path, file.errorString()));
            });
        }
}

void clearErrorListing()
{
    Guard([] {
        QFile file(state().ErrorListing);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw AppError(75, kSource,
                           QStringLiteral("Cannot create %1: %2").arg(state().ErrorListing, file.errorString()));
    });
}
}

KKOption::KKOption(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KKOption"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(MakeTitle(QStringLiteral("Options..."), this));

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("frmMain"));
    auto* boxes = new QVBoxLayout(frame);
    const QString captions[2] = {QStringLiteral("Clear Old Backup Files"), QStringLiteral("Clear Error Listing")};
    for (int i = 0; i < 2; ++i) {
        m_check[i] = new QCheckBox(captions[i], frame);
        m_check[i]->setObjectName(QStringLiteral("chkField_%1").arg(i));
        boxes->addWidget(m_check[i]);
        connect(m_check[i], &QCheckBox::clicked, this, [this, i] { onCheckClicked(i); });
    }
    outer->addWidget(frame);

    outer->addLayout(MakeCloseRow(this));

    ApplyLook(this);
}

void KKOption::onCheckClicked(int index)
{
    QCheckBox* box = m_check[index];
    if (!box->isChecked())
        return;
    if (!Messages::current().question(QStringLiteral("Confirm Operation?")))
        return;
    if (index == 0)
        deleteOldArchives();
    else
        clearErrorListing();
    Messages::current().notice(QStringLiteral("Done!"));
    box->setChecked(false);
}
