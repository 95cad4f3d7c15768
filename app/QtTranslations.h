#pragma once

class QCoreApplication;

// Qt's own texts (the file dialogs' buttons, a message box's OK) in Chinese, whatever the locale:
// the program's interface is Chinese throughout. Loads qtbase_zh_CN from Qt's translations folder,
// or from "translations" beside the executable where a deployment puts it. False when neither
// holds it; Qt then speaks English.
bool LoadQtChineseTranslations(QCoreApplication &app);
