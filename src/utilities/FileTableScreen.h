#pragma once
#include "utilities/LongRun.h"
#include "utilities/TableBrowser.h"

#include <QDialog>
#include <QFileDialog>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The screen that export and import share: the table browser with its field list, a file
// box with its ">" button, "<All", the run button ("Export>", "Import>"), the progress count
// lblField 41 and the "x" that closes. While a run goes on the screen does not close: Escape
// or the window's close box stop the run instead.
class FileTableScreen : public QDialog {
    Q_OBJECT
public:
    struct Parts {
        QString screenName;  // "KKExport"
        QString caption;     // window title
        QString fileTip;     // txtFile's tool tip, also the run button's
        QString runName;     // "cmdExport"
        QString runCaption;  // "Export>"
    };

    TableBrowser& browser() const { return *m_browser; }
    QLineEdit* fileBox() const { return m_file; }
    QLabel* progressLabel() const { return m_progress; }

public slots:
    void reject() override;

protected:
    FileTableScreen(const Parts& parts, const TableBrowser::Setup& setup, QWidget* parent);

    // The common file dialog: nothing chosen (Cancel, or the placeholder name left) gives "".
    // The dialog opens in the DataFolder's Docs while the file box is empty.
    QString chooseFileName(QFileDialog::AcceptMode mode, const QStringList& filters, const QString& placeholder);

    QGridLayout* grid() const { return m_grid; }
    QPushButton* chooseButton() const { return m_choose; }
    QPushButton* runButton() const { return m_runButton; }

    QWidget* m_frame;
    QLabel* m_progress;
    LongRun m_run;

private:
    TableBrowser* m_browser;
    QLineEdit* m_file;
    QPushButton* m_choose;
    QPushButton* m_runButton;
    QGridLayout* m_grid;
};
