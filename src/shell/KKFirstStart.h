#pragma once
#include <QDialog>
#include <functional>

class QLabel;
class QCommandLinkButton;

// The window of a first start: the DataFolder holds no database yet. It says where the data
// will live and who the administrator is, and offers to create an empty database, to create
// one with demo content, or to choose another folder. exec() returns Accepted once the
// DataFolder returned by dataFolder() holds a database; Quit (or Esc) rejects. A database is
// never overwritten: creating one where one exists fails with a message.
class KKFirstStart : public QDialog {
    Q_OBJECT
public:
    // Asks for a folder, starting at `current`; "" when the user cancels. Tests replace it.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& current)>;

    explicit KKFirstStart(const QString& dataFolder, QWidget* parent = nullptr);

    QString dataFolder() const { return m_folder; }
    void setFolderChooser(FolderChooser chooser) { m_chooser = std::move(chooser); }

    QCommandLinkButton* emptyButton() const { return m_empty; }
    QCommandLinkButton* demoButton() const { return m_demo; }
    QCommandLinkButton* folderButton() const { return m_choose; }

public slots:
    void createEmpty() { create(false); }
    void createDemo() { create(true); }
    void chooseFolder();

private:
    void create(bool demo);
    void showFolder();

    QString m_folder;
    FolderChooser m_chooser;
    QLabel* m_folderLabel = nullptr;
    QCommandLinkButton* m_empty = nullptr;
    QCommandLinkButton* m_demo = nullptr;
    QCommandLinkButton* m_choose = nullptr;
};
