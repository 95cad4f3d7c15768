#pragma once

#include <QString>

// The folder where an installed program keeps the settings every user of the machine shares
// (%ProgramData%\Quilvar on Windows, which the installer makes writable by the machine's users);
// empty where the settings always sit beside the executable. One .cpp per platform.
QString SharedSettingsFolder();
