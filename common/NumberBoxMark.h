#pragma once

class QLineEdit;

// Keeps a number box marked while its text does not read wholly as a number: a red frame drawn by a
// style sheet (the same whatever the platform's style and font) and a tooltip that says what is
// read and why. The box's text and its reading are left alone.
void MarkMisreadNumbers(QLineEdit *box);
