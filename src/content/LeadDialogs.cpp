#include "content/LeadDialogs.h"

#include <QComboBox>
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

const QStringList& mailFamilies()
{
    static const QStringList families{QStringLiteral("Arial"), QStringLiteral("Helvetica"), QStringLiteral("Georgia"),
                                      QStringLiteral("Times New Roman"), QStringLiteral("Verdana"), QStringLiteral("Tahoma"),
                                      QStringLiteral("Courier New"), QStringLiteral("Trebuchet MS")};
    return families;
}

QString fontStack(const QString& family)
{
    static const QStringList fallBacks{QStringLiteral("Helvetica, sans-serif"), QStringLiteral("Arial, sans-serif"),
                                       QStringLiteral("serif"), QStringLiteral("Times, serif"), QStringLiteral("sans-serif"),
                                       QStringLiteral("sans-serif"), QStringLiteral("Courier, monospace"),
                                       QStringLiteral("sans-serif")};
    const qsizetype i = mailFamilies().indexOf(family);
    const QString name = family.contains(QLatin1Char(' ')) ? QLatin1Char('\'') + family + QLatin1Char('\'') : family;
    return i < 0 ? name : name + QStringLiteral(", ") + fallBacks.at(i);
}

bool askFont(QWidget* parent, QString& family, int& px)
{
    static const QList<int> sizes{10, 11, 12, 13, 14, 15, 16, 18, 20, 22, 24, 28, 32, 36};
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Formatting"));
    auto* form = new QFormLayout(&dialog);
    auto* families = new QComboBox(&dialog);
    families->setObjectName(QStringLiteral("cmbFontFamily"));
    families->addItems(mailFamilies());
    families->setCurrentIndex(std::max(0, int(mailFamilies().indexOf(family))));
    auto* size = new QComboBox(&dialog);
    size->setObjectName(QStringLiteral("cmbFontSize"));
    int nearest = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        size->addItem(QStringLiteral("%1 px").arg(sizes[i]), sizes[i]);
        if (std::abs(sizes[i] - px) < std::abs(sizes[nearest] - px))
            nearest = i;
    }
    size->setCurrentIndex(nearest);
    form->addRow(QStringLiteral("Font"), families);
    form->addRow(QStringLiteral("Size"), size);
    if (!run(dialog, form))
        return false;
    family = families->currentText();
    px = size->currentData().toInt();
    return true;
}

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
