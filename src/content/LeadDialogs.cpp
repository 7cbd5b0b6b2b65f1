#include "content/LeadDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {
QLineEdit* addLine(QDialog& dialog, QFormLayout* form, const QString& name, const QString& label,
                   const QString& text, QLayout* row = nullptr)
{
    auto* box = new QLineEdit(text, &dialog);
    box->setObjectName(name);
    if (row) {
        row->addWidget(box);
        form->addRow(label, row);
    } else {
        form->addRow(label, box);
    }
    return box;
}

bool run(QDialog& dialog, QFormLayout* form)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return dialog.exec() == QDialog::Accepted;
}
}

namespace LeadDialogs {

bool askLink(QWidget* parent, QString& url, QString& text)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("HyperLink"));
    auto* form = new QFormLayout(&dialog);
    QLineEdit* urlBox = addLine(dialog, form, QStringLiteral("txtLinkUrl"), QStringLiteral("URL"), url);
    QLineEdit* textBox = addLine(dialog, form, QStringLiteral("txtLinkText"), QStringLiteral("Text"), text);
    if (!run(dialog, form))
        return false;
    url = urlBox->text();
    text = textBox->text();
    return true;
}

bool askImage(QWidget* parent, QString& address, const std::function<QString()>& chooseFile)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Image"));
    auto* form = new QFormLayout(&dialog);
    auto* row = new QHBoxLayout;
    QLineEdit* box = addLine(dialog, form, QStringLiteral("txtImage"), QStringLiteral("Web address or file"),
                             address, row);
    auto* browse = new QPushButton(QStringLiteral("File..."), &dialog);
    browse->setAutoDefault(false);
    row->addWidget(browse);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        const QString file = chooseFile();
        if (!file.isEmpty())
            box->setText(file);
    });
    if (!run(dialog, form))
        return false;
    address = box->text();
    return true;
}

}
