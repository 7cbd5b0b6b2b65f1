#pragma once
class QWidget;

// Applies the customization (CBackColor, CTextFont, CTextSize, CTextColor) to a screen by its
// controls' names, unless CDefaScrn is "Y" (screens stay as designed). Child windows of the main
// window also take the back colour.
void ApplyLook(QWidget* screen);
