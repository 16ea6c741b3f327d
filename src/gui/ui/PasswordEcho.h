#pragma once
// Password edits show one "*" for each character, whatever symbol the style would choose.
class QLineEdit;

void ShowPasswordAsStars(QLineEdit* edit);
