#pragma once

class QDialog;

// A dialog window of fixed size without minimise or maximise buttons, centred on its screen.
// Call once its contents are laid out.
void MakeFixedCentred(QDialog &dialog);
