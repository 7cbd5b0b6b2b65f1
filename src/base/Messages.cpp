#include "base/Messages.h"

#include "base/ProgramState.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
QString defaultTitle() { return QApplication::applicationName().isEmpty() ? QStringLiteral("Korvina") : QApplication::applicationName(); }
}

Messages& Messages::current() { return state().messages(); }

void BoxMessages::notice(const QString& text)
{
    QMessageBox::information(QApplication::activeWindow(), defaultTitle(), text, QMessageBox::Ok);
}

bool BoxMessages::question(const QString& text)
{
    return QMessageBox::question(QApplication::activeWindow(), defaultTitle(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void BoxMessages::error(const QString& text, const QString& title)
{
    QMessageBox::warning(QApplication::activeWindow(), title, text, QMessageBox::Ok);
}

int BoxMessages::choice(const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Question, defaultTitle(), text, QMessageBox::NoButton, QApplication::activeWindow());
    QList<QAbstractButton*> shown;
    for (const QString& b : buttons)
        shown << box.addButton(b, QMessageBox::AcceptRole);
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return int(shown.indexOf(box.clickedButton()));
}
