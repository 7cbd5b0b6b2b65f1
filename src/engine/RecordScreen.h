#pragma once
#include "base/ModuleCatalogue.h"

#include <QWidget>
#include <memory>

class QAbstractButton;
class QBoxLayout;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class ModuleExtra;

// The one generic record screen, built from a module's field rows: a frame frmMain holding
// lblField(i), txtField(i) and, where a field has one, cmdList(i) and lblList(i). Widgets are
// named "txtField_18", "cmdList_18", "lblList_18", "lblField_18", "frmMain", "pctModule".
// It lives as a child window of the main window; the record engine drives it.
class RecordScreen : public QWidget {
    Q_OBJECT
public:
    explicit RecordScreen(const ModuleDef& def, QWidget* parent = nullptr);
    ~RecordScreen() override;

    const ModuleDef& def() const { return m_def; }
    QString screenName() const { return m_def.screen; }
    int fieldCount() const { return m_def.fieldCount; }

    // The text of txtField(i); setText cuts the value to the box's maximum length.
    QString text(int i) const;
    void setText(int i, const QString& value);
    bool isLocked(int i) const { return m_def.fields.value(i).locked; }
    FieldKind kind(int i) const { return m_def.fields.value(i).kind; }

    QWidget* field(int i) const;          // txtField(i)
    QLineEdit* lineEdit(int i) const;     // nullptr for a multi-line box
    QPlainTextEdit* textEdit(int i) const; // nullptr for a one-line box
    QLabel* fieldLabel(int i) const;      // lblField(i)
    QLabel* listLabel(int i) const;       // lblList(i), nullptr where the field has no button
    QAbstractButton* listButton(int i) const; // cmdList(i)
    QGroupBox* frame() const { return m_frame; } // frmMain
    QLabel* picture() const { return m_picture; } // pctModule

    // Places for a module's own widgets: beside the fields (right) and under them.
    // The side area is inside frmMain; the bottom area is under it and stays enabled in View.
    QBoxLayout* sideArea() const { return m_side; }
    QBoxLayout* bottomArea() const { return m_bottom; }

    // The edit switch: enables frmMain in "Edit", disables it in "View".
    void setEditing(bool editing);
    bool isEditing() const;
    // Adds a button cmdList(index) with a caption label lblField(index) after the last field row
    // (the survey screen's "Survey Script").
    QAbstractButton* addCommandRow(int index, const QString& caption, const QString& buttonText, const QString& toolTip);

    ModuleExtra* extra() const { return m_extra.get(); }
    void setExtra(std::unique_ptr<ModuleExtra> extra);

    // The cycling pickers: a press of cmdList(i) after another button's starts i from its
    // first choice; pickerPosition() is the choice the button pressed last shows next.
    void pickerPressed(int i);
    int pickerPosition() const { return m_pickerPosition; }
    void setPickerPosition(int position) { m_pickerPosition = position; }

signals:
    void listButtonClicked(int index);
    void editingChanged(bool editing);
    void closing();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();

    ModuleDef m_def;
    QGroupBox* m_frame = nullptr;
    QLabel* m_picture = nullptr;
    QGridLayout* m_grid = nullptr;
    QBoxLayout* m_side = nullptr;
    QBoxLayout* m_bottom = nullptr;
    QVector<QWidget*> m_fields;
    QVector<QLabel*> m_labels;
    QVector<QLabel*> m_listLabels;
    QVector<QAbstractButton*> m_buttons;
    std::unique_ptr<ModuleExtra> m_extra;
    int m_pickerIndex = 0;
    int m_pickerPosition = 0;
};
