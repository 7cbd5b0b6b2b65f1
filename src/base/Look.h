#pragma once
class QDialog;
class QFont;
class QToolButton;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QString;
class QWidget;

// Applies the customization (CBackColor, CTextFont, CTextSize, CTextColor) to a screen by its
// controls' names, unless CDefaScrn is "Y" (screens stay as designed). Child windows of the main
// window also take the back colour.
void ApplyLook(QWidget* screen);

// The title of a tool screen (lblField(0), "Options..."): its caption in bold, a size larger.
QLabel* MakeTitle(const QString& caption, QWidget* parent);

// The closing row of a tool screen: a right-aligned default button cmdClose "Close" that closes it.
QHBoxLayout* MakeCloseRow(QDialog* dialog);

// Makes a box masked: every character it holds is shown as "x" (passwords, access codes).
void MaskWithCrosses(QLineEdit* box);

// The fixed-width font of the list screens ("Courier New", or the machine's typewriter face).
QFont FixedFont();

// The "x" button (cmdClose, tool tip "Close") that closes a list screen without a choice.
QToolButton* MakeCloseCross(QDialog* dialog);
